#include "uPropertyReaders.h"

#include <array>
#include <vector>

#include "RecordText.h"
#include "uPropertyNumbers.h"

bool IsValueGiven(std::string_view text)
{
    return !text.empty() && text != "-";
}

int32_t ReadCount(std::string_view text)
{
    if (!IsValueGiven(text))
        return 0;
    return ParseInteger(text).value_or(0);
}

ParamInt ReadParamInt(std::string_view text)
{
    ParamInt p{};
    p.supported = 1;
    if (IsValueGiven(text)) {
        p.present = 1;
        p.value = ParseInteger(text).value_or(0);
    }
    return p;
}

ParamValue ReadParamValue(std::string_view text, std::string_view decimalSeparator)
{
    ParamValue p{};
    p.supported = 1;
    if (IsValueGiven(text)) {
        p.present = 1;
        p.value = ParseNumber(text, decimalSeparator).value_or(0.0);
    }
    return p;
}

ParamText ReadParamText(std::string_view text)
{
    ParamText p{};
    p.supported = 1;
    if (IsValueGiven(text)) {
        p.present = 1;
        CopyRecordText(p.text, text);
    }
    return p;
}

ParamVector ReadParamVector(std::string_view text, std::string_view decimalSeparator)
{
    ParamVector p{};
    p.supported = 1;
    if (!IsValueGiven(text))
        return p;
    p.present = 1;
    std::vector<std::string_view> pieces = SplitAtBlanks(text);
    double xyz[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < pieces.size() && i < 3; ++i) {
        std::optional<double> v = ParseNumber(pieces[i], decimalSeparator);
        if (!v)
            return p;  // one bad piece clears all three
        xyz[i] = *v;
    }
    p.x = xyz[0];
    p.y = xyz[1];
    p.z = xyz[2];
    return p;
}

ParamRange ReadParamRange(std::string_view text, std::string_view decimalSeparator)
{
    ParamRange p{};
    p.supported = 1;
    if (!IsValueGiven(text))
        return p;
    p.present = 1;
    std::vector<std::string_view> pieces = SplitAtDoubleDots(text);
    if (pieces.empty())
        return p;
    std::optional<double> low = ParseNumber(pieces[0], decimalSeparator);
    if (!low)
        return p;
    p.min = *low;
    if (pieces.size() == 1) {
        p.max = *low;
        return p;
    }
    if (std::optional<double> high = ParseNumber(pieces[1], decimalSeparator))
        p.max = *high;
    return p;
}

std::string NotAFloatMessage(std::string_view piece)
{
    std::string m = "'";
    m.append(piece);
    m += "' is not a valid floating point value";
    return m;
}

namespace {

// Up to three channel values from a colour text; missing pieces give 0.
std::optional<std::string> ReadChannels(std::string_view text, std::string_view decimalSeparator,
                                        std::array<double, 3> &out)
{
    out = {0.0, 0.0, 0.0};
    std::vector<std::string_view> pieces = SplitAtBlanks(text);
    for (std::size_t i = 0; i < pieces.size() && i < 3; ++i) {
        std::optional<double> v = ParseNumber(pieces[i], decimalSeparator);
        if (!v)
            return NotAFloatMessage(pieces[i]);
        out[i] = *v;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadColourPair(std::string_view first, std::string_view second,
                                          std::string_view decimalSeparator, ParamRange &red,
                                          ParamRange &green, ParamRange &blue)
{
    ParamRange *channels[3] = {&red, &green, &blue};
    const bool haveFirst = IsValueGiven(first);
    const bool haveSecond = IsValueGiven(second);

    if (!haveFirst && !haveSecond) {
        for (ParamRange *c : channels) {
            c->present = 0;
            c->min = 1.0;
            c->max = 1.0;
        }
        return std::nullopt;
    }

    std::array<double, 3> low{1.0, 1.0, 1.0};  // a missing first row reads as white
    if (haveFirst) {
        if (auto error = ReadChannels(first, decimalSeparator, low))
            return error;
    }
    std::array<double, 3> high = low;
    if (haveSecond) {
        if (auto error = ReadChannels(second, decimalSeparator, high))
            return error;
    }
    // Written only once both texts have been read, so a bad piece leaves the
    // colour as it was.
    for (int i = 0; i < 3; ++i) {
        channels[i]->present = 1;
        channels[i]->min = low[static_cast<std::size_t>(i)];
        channels[i]->max = high[static_cast<std::size_t>(i)];
    }
    return std::nullopt;
}
