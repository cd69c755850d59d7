#pragma once
// The estates: one plot of a block each, the last urban level. Both kinds
// first lay a street strip along every plot edge on the "Road in" side of a
// street and keep the rest. A rustic estate covers the rest with one unbuilt
// site. A court estate lays out a court building: a ring of wings along the
// plot edges around an open court, splitting the plot further where the court
// would be badly shaped and falling back to an open site where nothing fits.
// Coordinates are the town's local ones (metres); the land is the town's.
//
// Limits of the polygons handed to buildings: 0 party wall, 1 facade (the
// edge faces a street), 2 and 3 entry marks, 4 a passing made by splitting the
// plot inside the estate.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"

class TypBlo;
struct LimitNames;

class TypEst : public DescPolyLand {
public:
    // Added to the bounding radius so the estate's own shape is never culled a hair too early.
    static constexpr float kRadiusMargin = 0.7f;
    // Sites and street pieces stand at most this high (metres).
    static constexpr float kMaxSiteHeight = 10.0f;
    // Street pieces are fitted to the terrain with this over height (metres).
    static constexpr float kStreetOverHeight = 10.0f;
    // Shorter edges are dropped from the polygons handed to buildings (metres).
    static constexpr float kSimplifyLength = 0.1f;
    // A street strip is a market only on ground flatter than this slope (percent).
    static constexpr float kMarketSlope = 10.0f;

    // poly in town-local coordinates; nodes: the block's nodes at each point
    // (not owned); land: the town's land reference (not owned, may be null);
    // parentBlock: not owned, may be null (the estate then counts as rustic).
    TypEst(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
           TypBlo* parentBlock, uint32_t seed, const char* materialName);

    const ClassName& className() const override;

    // True when the parent block is urban.
    bool urbanBlock() const;
    // The street strips along the "Road in" edges, added as street pieces
    // (one seed drawn per strip); returns the rest of the plot with street
    // edges marked 1 and simplified, or an empty polygon when there are no
    // widths or the inset fails (no strip laid then).
    Poly layStreetStrips(const std::vector<float>& widths);
    // The estate's polygon with street edges ("Road in", "Road out") marked 1,
    // simplified: what stands in for the rest when there is no inset.
    Poly plainPlot() const;
    // One unbuilt site over poly with the given material, as high as the over
    // height but at most kMaxSiteHeight, fitted to the terrain (draws its
    // seed); added as a child.
    void addSite(const Poly& poly, const char* materialName);

    // The class of the street pieces of an estate with this seed in an urban
    // block, from r = trunc(uniform * 100) of a generator seeded with it:
    // 0 plain, 1 20th century, 2 market (when flat enough, else 20th century).
    static int streetPieceKind(uint32_t seed, float slope);
    // The limit table of the estate polygons ("Road in" 36 ... "Party" 8).
    static const LimitNames& limitNames();

    TypBlo* parentBlock = nullptr;  // not owned: the block that made it

    static const ClassName kClassName;
};

class TypEstCourt : public TypEst {
public:
    // What the layout's classification makes of a piece with its depths.
    enum Shape : int { kDegenerate = 0, kCourt = 1, kTooWide = 2, kOpen = 3 };
    // Court edges shorter than this are degenerate; where a wing stands, shorter than kMinWingEdge (metres).
    static constexpr float kMinCourtEdge = 1.0f;
    static constexpr float kMinWingEdge = 3.0f;
    // Above this height the building gets a flat terrace over a closed court (metres).
    static constexpr float kClosedCourtHeight = 15.0f;
    // Recursion bound of the layout: a piece split this often is laid out as it is.
    static constexpr int kMaxLayoutDepth = 64;

    // constructionDepthMin and maxCourtSide in metres; winding in radians;
    // widths: one per point, copied.
    TypEstCourt(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
                TypBlo* parentBlock, uint32_t seed, const char* materialName, float constructionDepthMin,
                float winding, float maxCourtSide, std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypEstCourt", the polygon with the estate limit names, "Construction
    // depth min", float choice "Winding (angle)", "Max court side", the
    // variants "Urban"/"Rustic" at 0, heading "TypEst", then DescPolyLand's.
    void declareParameters(ParameterList& list) override;
    // 0: a court estate with the default values; 1: a rustic estate; else null.
    Drawable* createVariant(int index) override;
    // The simplified polygon as a prism: a block standing for the buildings.
    void drawOwnShape(RenderContext& ctx) override;
    // Street strips, then the court layout of the rest (or a paved yard).
    void generate() override;

    // Keeps limit 1 on the street-facing points and sets every other limit to
    // 0; then one street-facing point, drawn, becomes the entry facade (3).
    // Returns the number of street-facing points (no draw when there is none).
    int markEntryFacade(Poly& piece);
    // Lays out one piece of the plot at the given building height (recursive).
    void courtLayout(const Poly& piece, float height);
    // What the piece makes with these depths (one per edge; 0 = no wing).
    Shape classify(const Poly& piece, const std::vector<float>& depths) const;
    // Drops wings one by one until the piece classifies as something to build.
    void reduceWings(const Poly& piece, std::vector<float> depths, float height);
    // Cuts a piece whose court would be too wide across its middle.
    void splitCourt(const Poly& piece, float height);
    // A court building over the piece (draws its seed), added as a child.
    void makeCourtBuilding(const Poly& piece, const std::vector<float>& depths, float height);
    // An open site over the piece (draws its material and seed), added as a child.
    void makeOpenSite(Poly piece);

    // Roof material of a court building of height hb for an estate with this
    // seed; sets closed when the court is closed. Leaves the generation generator alone.
    static const char* roofMaterial(uint32_t seed, float hb, bool& closed);
    // Wall material of the court buildings of an estate with this seed.
    // Leaves the generation generator alone.
    static const char* wallMaterial(uint32_t seed);

    float constructionDepthMin = 0;  // "Construction depth min", metres
    float winding = 0;               // "Winding (angle)", radians
    float maxCourtSide = 0;          // "Max court side", metres
    std::vector<float> widths;       // owned: street width of the edge starting at each point, metres
    bool splitPending = false;       // working state of the layout: the first convexity split is due
    uint8_t variant = 0;             // the variants entry's current value

    static const ClassName kClassName;

private:
    std::vector<float> layoutDepths(const Poly& piece, bool drawn) const;
    int depth_ = 0;  // recursion depth of the running layout
};

class TypEstRustic : public TypEst {
public:
    // widths: one per point, copied.
    TypEstRustic(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
                 TypBlo* parentBlock, uint32_t seed, const char* materialName, std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypEstRustic", the polygon with the estate limit names, the
    // variants at 1, heading "TypEst", then DescPolyLand's.
    void declareParameters(ParameterList& list) override;
    // 0: a court estate with the default values; 1: a rustic estate; else null.
    Drawable* createVariant(int index) override;
    // The simplified polygon laid on the terrain (ground only).
    void drawOwnShape(RenderContext& ctx) override;
    // Street strips, then one site over the rest.
    void generate() override;

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    uint8_t variant = 1;        // the variants entry's current value

    static const ClassName kClassName;
};
