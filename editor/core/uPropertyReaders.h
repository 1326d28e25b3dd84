// Readers that turn an inspector value text back into a parameter sub-record.
// An empty text, or a lone "-", means the value is not given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ParticleSystem.h"

bool IsValueGiven(std::string_view text);

int32_t ReadCount(std::string_view text);
ParamInt ReadParamInt(std::string_view text);
ParamValue ReadParamValue(std::string_view text, std::string_view decimalSeparator);
ParamText ReadParamText(std::string_view text);
ParamVector ReadParamVector(std::string_view text, std::string_view decimalSeparator);
ParamRange ReadParamRange(std::string_view text, std::string_view decimalSeparator);

// Reads the two rows of a colour into its three channels; `supported` is left
// as it was. On a piece that is not a number nothing is written and the
// conversion error text is returned.
std::optional<std::string> ReadColourPair(std::string_view first, std::string_view second,
                                          std::string_view decimalSeparator, ParamRange &red,
                                          ParamRange &green, ParamRange &blue);

// The message of a piece that should have been a number.
std::string NotAFloatMessage(std::string_view piece);
