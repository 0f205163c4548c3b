// The text CreateDefaultFile writes: every key of the file with an empty
// value, a comment line before each section, CR LF line ends.
#pragma once

#include <string>

std::string DtuConfigTemplateText();
