#pragma once
// One storey of a court building: makes one room object per room of the plan,
// its class chosen by the room's kind on this storey.
#include <cstdint>
#include <vector>

#include "typology/building/TypRoo.h"

class TypRooCourtPlan;

class TypRooCourtFloor : public TypRoo {
public:
    // "Facades", "Wall sections" and "Openings" values.
    enum : int32_t { kWallSimple = 0, kPortico = 1 };
    enum : int32_t { kSectionsSimple = 0 };
    enum : int32_t { kOpeningsEmpty = 0, kOpeningsSimple = 1, kOpeningsBanister = 2, kOpeningsBalcony = 3 };
    // The ground storey of a plot flatter than this (height range over the
    // square root of the area, in percent) is a portico.
    static constexpr float kPorticoSlope = 5.0f;

    // plan: not owned; kinds: this storey's kind of each room of the plan.
    TypRooCourtFloor(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                     const char* materialName, TypRooCourtPlan* plan, std::vector<uint8_t> kinds, int32_t facades,
                     int32_t wallSections, int32_t openings);

    const ClassName& className() const override;
    // Heading, "Facades", "Wall sections", "Openings", then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // One room per room of the plan with a wall list, in plan order.
    void generate() override;
    // Coarse, the storey is its prism, open over an open court.
    void drawOwnShape(RenderContext& ctx) override;

    // The names of the three choices, shared with the rooms.
    static void declareChoices(ParameterList& list, int32_t* facades, int32_t* wallSections, int32_t* openings);

    TypRooCourtPlan* plan = nullptr;  // not owned
    std::vector<uint8_t> kinds;       // this storey's room kinds
    int32_t facades = kWallSimple;    // "Facades"
    int32_t wallSections = kSectionsSimple;  // "Wall sections"
    int32_t openings = kOpeningsEmpty;       // "Openings"

    static const ClassName kClassName;
};
