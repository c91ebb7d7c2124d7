#pragma once
// A coordinate as the map pages take it: decimal, six digits after the
// point, no exponent, always with a "." whatever the process locale says
// (a comma would cut the number short in the page's script). Any thread.
#include <string>

std::string coordinateText(double degrees);
