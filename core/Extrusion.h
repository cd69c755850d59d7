#pragma once
// Vertical extent of a prism: world y from level to level + height (metres).
#include <cstdint>

class ParameterList;

struct Extrusion {
    float level = 0;
    float height = 0;
    uint8_t lowLimit = 0;
    uint8_t highLimit = 0;

    // Heading "Extrusion (limits %d-%d)", then "Extrusion level" and "Extrusion height".
    void declare(ParameterList& list);
};
