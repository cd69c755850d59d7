#pragma once
// The root of every node of the town: something that can emit primitives to a
// RenderContext. Its own primitives are recorded once into a display list (the
// render handle) and replayed afterwards.
#include <cstdint>
#include <memory>

class Desc;
class Material;
class ParameterList;
class RenderContext;
class RenderList;
struct Matrix44;
struct Vector;

// One static record per class; className() returns it. The name heads the
// class's section of the parameter list.
struct ClassName {
    const char* name;
};

class Drawable {
public:
    // Binds a new material to materialName (null: unbound).
    Drawable(uint32_t seed, const char* materialName);
    virtual ~Drawable();
    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;

    // Records draw() into the render handle the first time, replays it afterwards.
    virtual void render(RenderContext& ctx);
    virtual void draw(RenderContext& ctx) = 0;
    virtual void computeDepth(const Matrix44& modelView);
    // Own 4x4 placement, or null when the node lives in its parent's frame.
    virtual const Matrix44* localTransform() const { return nullptr; }
    virtual const ClassName& className() const;
    virtual void declareParameters(ParameterList& list);
    virtual bool collidesSelf(const Vector& from, const Vector& to) const;
    virtual bool containsPoint(const Vector& p) const;
    virtual bool collides(const Vector& from, const Vector& to) const;
    // The navigation patch of street-laying descriptions; null otherwise.
    virtual class Graph* navigationPatch() { return nullptr; }
    virtual void fitToTerrain() {}
    // A new, unattached object of variant class `index`, or null.
    virtual Drawable* createVariant(int index);

    uint32_t seed = 0;
    std::unique_ptr<Material> material;  // owned; never null while the node lives
    float depth = 0;
    Desc* parent = nullptr;                      // not owned
    std::unique_ptr<RenderList> renderHandle;    // owned cached recording, or null

    static const ClassName kClassName;
};
