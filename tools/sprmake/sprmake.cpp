// sprmake: makes a version 2 sprite from one or more PNG pictures, as frames
// or as one group shown in turn, with a palette built from the pictures.
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Palette.h"
#include "SpriteWriter.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: sprmake [options] -o <out.spr> <picture.png>...\n"
                         "  --format F     texture format: normal (0), additive (1), indexalpha (2),\n"
                         "                 alphatest (3), or a number; default normal\n"
                         "  --type N       orientation type written to the header; default 2\n"
                         "  --group        one group frame of all pictures instead of one frame each\n"
                         "  --interval S   seconds each group picture shows: one value, or one per\n"
                         "                 picture separated by commas; default 0.1\n"
                         "  --origin X,Y   origin of every picture (left edge X, top edge Y);\n"
                         "                 default: the picture's centre\n"
                         "Pictures may be at most 65536 pixels (256 x 256).\n");
    return 2;
}

bool ParseInt(const char *text, int32_t &value)
{
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseFormat(const char *text, int32_t &format)
{
    static const char *const names[] = {"normal", "additive", "indexalpha", "alphatest"};
    for (int32_t i = 0; i < 4; ++i)
        if (std::strcmp(text, names[i]) == 0) {
            format = i;
            return true;
        }
    return ParseInt(text, format);
}

bool ParseIntervals(const std::string &text, std::vector<float> &intervals)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start,
                                             comma == std::string::npos ? std::string::npos : comma - start);
        char *end = nullptr;
        const float v = std::strtof(part.c_str(), &end);
        if (part.empty() || *end != '\0' || !(v > 0))
            return false;
        intervals.push_back(v);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return !intervals.empty();
}

}  // namespace

int main(int argc, char **argv)
{
    SpriteMakeOptions options;
    std::string output;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            output = argv[++i];
        } else if (arg == "--format" && hasValue) {
            if (!ParseFormat(argv[++i], options.format))
                return Usage();
        } else if (arg == "--type" && hasValue) {
            if (!ParseInt(argv[++i], options.type))
                return Usage();
        } else if (arg == "--group") {
            options.group = true;
        } else if (arg == "--interval" && hasValue) {
            if (!ParseIntervals(argv[++i], options.intervals)) {
                std::fprintf(stderr, "sprmake: intervals must be numbers above 0\n");
                return 2;
            }
        } else if (arg == "--origin" && hasValue) {
            const std::string v = argv[++i];
            const size_t comma = v.find(',');
            if (comma == std::string::npos || !ParseInt(v.substr(0, comma).c_str(), options.originX) ||
                !ParseInt(v.substr(comma + 1).c_str(), options.originY))
                return Usage();
            options.centred = false;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else {
            inputs.push_back(arg);
        }
    }
    if (output.empty() || inputs.empty())
        return Usage();
    if (options.group && options.intervals.size() > 1 && options.intervals.size() != inputs.size()) {
        std::fprintf(stderr, "sprmake: give one interval, or one per picture\n");
        return 2;
    }

    std::vector<RgbaPicture> pictures;
    for (const std::string &input : inputs) {
        QImage image;
        if (!image.load(QString::fromStdString(input))) {
            std::fprintf(stderr, "sprmake: cannot read %s\n", input.c_str());
            return 1;
        }
        if (static_cast<long>(image.width()) * image.height() > 65536) {
            std::fprintf(stderr, "sprmake: %s has %dx%d pixels, more than 65536\n", input.c_str(),
                         image.width(), image.height());
            return 1;
        }
        image = image.convertToFormat(QImage::Format_RGBA8888);
        RgbaPicture picture;
        picture.width = image.width();
        picture.height = image.height();
        for (int y = 0; y < image.height(); ++y) {
            const uchar *row = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                picture.pixels.push_back({row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]});
        }
        pictures.push_back(std::move(picture));
    }

    if (!WriteFileBytes(output, WriteSprite(MakeSpriteDraft(pictures, options)))) {
        std::fprintf(stderr, "sprmake: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
