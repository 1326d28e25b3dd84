// Where a unit sends the texts of its failures, already formatted; an empty
// sink drops them. The renderer shows them in a message box, tests collect
// them.
#pragma once

#include <functional>

using MessageSink = std::function<void(const char *text)>;
