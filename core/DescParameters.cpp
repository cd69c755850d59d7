// The parameter declarations of the base classes and of the extrusion. Each
// class adds its heading and its own entries, then its base class's, so a
// list reads from the most derived class down to Drawable.
#include <cstdio>

#include "core/Desc.h"
#include "core/Drawable.h"
#include "core/Extrusion.h"
#include "core/Material.h"
#include "core/ParameterList.h"

void Extrusion::declare(ParameterList& list) {
    char heading[64];
    std::snprintf(heading, sizeof heading, "Extrusion (limits %d-%d)", lowLimit, highLimit);
    list.addHeading(heading);
    list.addFloat("Extrusion level", &level, {-10000.0, 10000.0});
    list.addFloat("Extrusion height", &height, {0.0, 10000.0});
}

void Drawable::declareParameters(ParameterList& list) {
    list.addHeading("Drawable");
    // The seed is shown and edited as a signed number, as the list keeps integers.
    list.addInt("Seed", reinterpret_cast<int32_t*>(&seed));
    material->declare(list, "Main material");
    list.setParent(&parent);
}

void Desc::declareParameters(ParameterList& list) {
    list.addHeading("Desc");
    list.setChildren(&children);
    Drawable::declareParameters(list);
}

void DescPoly::declareParameters(ParameterList& list) {
    list.addHeading("DescPoly");
    extrusion.declare(list);
    Desc::declareParameters(list);
}

void DescLine::declareParameters(ParameterList& list) {
    list.addHeading("DescLine");
    extrusion.declare(list);
    Desc::declareParameters(list);
}
