// Groups drawn merged on a real (software) GL context: a row of coloured
// cubes under one group root, drawn from its merged copy in few draws; an
// edited cube shows its new colour in the next frame; a cube whose content
// collapses and grows again leaves no hole; batching off draws the same; a
// group undrawn for a while gives its copy back and is merged again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

// A cube of side 4 m at x, drawn in its colour (the children's content).
class ColouredBox : public Drawable {
public:
    ColouredBox(float x, Material** colour) : Drawable(7, nullptr), x_(x), colour_(colour) {}
    void draw(RenderContext& ctx) override {
        Extrusion e;
        e.height = 4;
        ctx.extrudedPolygon(rectangle(x_ - 2, -2, x_ + 2, 2), e, *colour_, 0);
    }

private:
    float x_;
    Material** colour_;  // not owned: the slot the test edits
};

// One cube's description: its coarse shape is the white volume, its child the coloured cube.
class BoxDesc : public DescPoly {
public:
    BoxDesc(float x, Material** colour) : DescPoly(rectangle(x - 2, -2, x + 2, 2), 4, 21, nullptr), x_(x), colour_(colour) {}
    void generate() override { addChild(std::make_unique<ColouredBox>(x_, colour_)); }

private:
    float x_;
    Material** colour_;
};

// Five cubes in a row, drawn as one group.
class Row : public DescPoly {
public:
    explicit Row(Material** colours) : DescPoly(rectangle(-14, -2, 14, 2), 4, 22, nullptr), colours_(colours) {}
    bool drawsAsGroup() const override { return true; }
    void generate() override {
        for (int i = 0; i < 5; ++i)
            addChild(std::make_unique<BoxDesc>(-12.0f + 6.0f * static_cast<float>(i), &colours_[i]));
    }

private:
    Material** colours_;
};

// A cube drawn directly every frame and dropped at once, as a walker's body
// was: held back inside the group, it must be drawn before it goes.
class DroppedBox : public Drawable {
public:
    DroppedBox(float x, Material* colour) : Drawable(9, nullptr), x_(x), colour_(colour) {}
    void draw(RenderContext& ctx) override {
        Extrusion e;
        e.height = 4;
        ctx.extrudedPolygon(rectangle(x_ - 2, -2, x_ + 2, 2), e, colour_, 0);
    }
    void render(RenderContext& ctx) override {
        ctx.endList();
        draw(ctx);
        ctx.endList();
    }

private:
    float x_;
    Material* colour_;  // not owned
};

// Two recorded cubes with a dropped one between them, drawn as one group.
class RowWithDropped : public DescPoly {
public:
    RowWithDropped(Material** colours, Material* dropped)
        : DescPoly(rectangle(-14, -2, 14, 2), 4, 23, nullptr), colours_(colours), dropped_(dropped) {}
    bool drawsAsGroup() const override { return true; }
    void generate() override {
        addChild(std::make_unique<BoxDesc>(-6.0f, &colours_[0]));
        addChild(std::make_unique<DroppedBox>(0.0f, dropped_));
        addChild(std::make_unique<BoxDesc>(6.0f, &colours_[1]));
    }

private:
    Material** colours_;
    Material* dropped_;
};

class BatchingGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        gl().setDetail(3.0f);  // every cube refines
        gl().impostorsEnabled = 0;
        gl().occlusionEnabled = 0;
        gl().batching = true;
        lookAt({0, 8, -30}, {0, 2, 0});
    }
    void TearDown() override {
        gl().setDetail(0.4f);
        gl().impostorsEnabled = 1;
        gl().occlusionEnabled = 1;
        gl().batching = true;
    }

    Frame frame(Desc& root) {
        gl().beginFrame();
        root.render(gl());
        gl().endFrame();
        return grab();
    }
    Rgb centreOf(const Frame& f, int box) const {
        const Pixel p = project({-12.0f + 6.0f * static_cast<float>(box), 2, -2});
        return f.at(p.x, p.y);
    }

    ColourMaterial red{0.9f, 0.1f, 0.1f};
    ColourMaterial green{0.1f, 0.9f, 0.1f};
    ColourMaterial blue{0.1f, 0.1f, 0.9f};
};

// A colour of the three, read from its strongest channel.
char hue(const Rgb& c) {
    if (c.r > 2 * c.g && c.r > 2 * c.b)
        return 'r';
    if (c.g > 2 * c.r && c.g > 2 * c.b)
        return 'g';
    if (c.b > 2 * c.r && c.b > 2 * c.g)
        return 'b';
    return '?';
}

}  // namespace

TEST_F(BatchingGLTest, MergedGroupDrawsTheSamePictureInFewerDraws) {
    // Symmetric, as the picture is seen from the front.
    Material* colours[5] = {&red.material, &green.material, &blue.material, &green.material, &red.material};
    Row row(colours);
    frame(row);
    const Frame merged = frame(row);
    EXPECT_EQ(gl().groupsDrawnMerged, 1);
    EXPECT_EQ(gl().meshesDrawn, 5);
    EXPECT_EQ(gl().drawCalls, 1) << "one untextured surface: one draw";
    const char expected[5] = {'r', 'g', 'b', 'g', 'r'};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(hue(centreOf(merged, i)), expected[i]) << "cube " << i << " " << centreOf(merged, i);

    // Drawn only merged, the cubes' meshes hold no range of the shared
    // buffers; drawn on their own, they take one.
    auto boxMesh = [&](int i) {
        const auto* box = dynamic_cast<Desc*>(row.child(i));
        return box && box->childCount() == 1 ? dynamic_cast<const Mesh*>(box->child(0)->renderHandle.get())
                                             : nullptr;
    };
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(boxMesh(i), nullptr) << i;
        EXPECT_FALSE(boxMesh(i)->uploaded()) << i;
    }
    gl().batching = false;
    const Frame single = frame(row);
    EXPECT_EQ(gl().groupsDrawnMerged, 0);
    EXPECT_EQ(gl().drawCalls, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(boxMesh(i)->uploaded()) << i;
    EXPECT_LE(pixelsApart(merged, single), kSize * kSize / 1000) << "pixels more than 8 levels apart";
}

TEST_F(BatchingGLTest, AnEditInsideAMergedGroupShowsInTheNextFrame) {
    Material* colours[5] = {&red.material, &red.material, &red.material, &red.material, &red.material};
    Row row(colours);
    frame(row);
    frame(row);
    ASSERT_EQ(gl().groupsDrawnMerged, 1);
    // As the Properties window does: the edited description's growth goes
    // and it grows again from its new values.
    colours[2] = &blue.material;
    auto* edited = dynamic_cast<Desc*>(row.child(2));
    ASSERT_NE(edited, nullptr);
    edited->releaseChildren();
    const Frame next = frame(row);
    EXPECT_EQ(hue(centreOf(next, 2)), 'b') << centreOf(next, 2);
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(hue(centreOf(next, i)), 'r') << "cube " << i;
    // The new content is merged with the rest again.
    const Frame later = frame(row);
    EXPECT_EQ(gl().groupsDrawnMerged, 1);
    EXPECT_EQ(hue(centreOf(later, 2)), 'b');
}

TEST_F(BatchingGLTest, ACollapsedChildLeavesNoHole) {
    Material* colours[5] = {&green.material, &green.material, &green.material, &green.material, &green.material};
    Row row(colours);
    frame(row);
    frame(row);
    ASSERT_EQ(gl().groupsDrawnMerged, 1);
    // Coarse from now on: the child's content goes and its own white shape stands in.
    gl().setDetail(0.05f);
    auto* collapsing = dynamic_cast<Desc*>(row.child(1));
    ASSERT_NE(collapsing, nullptr);
    collapsing->releaseChildren();
    gl().setDetail(3.0f);
    const Frame next = frame(row);
    for (int i = 0; i < 5; ++i) {
        const Rgb c = centreOf(next, i);
        EXPECT_FALSE(c.black()) << "cube " << i << " missing";
        EXPECT_EQ(hue(c), 'g') << "cube " << i << " " << c;
    }
    EXPECT_EQ(row.child(1) ? dynamic_cast<Desc*>(row.child(1))->childCount() : 0, 1) << "grown again";
}

TEST_F(BatchingGLTest, AGroupOutOfTheFrameIsDrawnFromWhatIsLeft) {
    Material* colours[5] = {&red.material, &red.material, &red.material, &red.material, &red.material};
    Row row(colours);
    frame(row);
    frame(row);
    ASSERT_EQ(gl().groupsDrawnMerged, 1);
    // Turned so that only some cubes stay in the frustum: the group is
    // merged anew from what is left, and the picture holds it.
    lookAt({-12, 8, -30}, {-12, 2, 0});
    const Frame turned = frame(row);
    const Pixel p = project({-12, 2, -2});
    EXPECT_EQ(hue(turned.at(p.x, p.y)), 'r');
}

TEST_F(BatchingGLTest, AMeshDroppedInsideAGroupIsDrawnBeforeItGoes) {
    Material* colours[2] = {&red.material, &red.material};
    RowWithDropped row(colours, &blue.material);
    for (int i = 0; i < 3; ++i) {
        const Frame f = frame(row);
        EXPECT_EQ(hue(centreOf(f, 2)), 'b') << "frame " << i << " " << centreOf(f, 2);
        EXPECT_EQ(hue(centreOf(f, 1)), 'r') << "frame " << i;
        EXPECT_EQ(hue(centreOf(f, 3)), 'r') << "frame " << i;
        EXPECT_EQ(gl().meshesDrawn, 3);
    }
}

TEST_F(BatchingGLTest, AGroupUndrawnForAWhileGivesItsCopyBackAndIsMergedAgain) {
    Material* colours[5] = {&red.material, &green.material, &blue.material, &green.material, &red.material};
    Row row(colours);
    frame(row);
    const Frame seen = frame(row);
    ASSERT_EQ(gl().groupsDrawnMerged, 1);
    const MergedCopies& copies = gl().mergedCopies();
    const size_t held = copies.bytes();
    const int listed = copies.count();
    const long releasedBefore = copies.released;
    // 120 vertices of 32 bytes and 180 indices of 4 at least.
    EXPECT_GE(held, 5u * (24 * 32 + 36 * 4));

    // Not drawn (hidden, or a picture of a larger subtree stands in): the
    // copy is kept for a while, as the group may show again.
    auto frameWithout = [&] {
        gl().beginFrame();
        gl().endFrame();
    };
    for (long i = 1; i < RendererGl::kMergedIdleFrames; ++i)
        frameWithout();
    EXPECT_EQ(copies.bytes(), held);
    frameWithout();
    EXPECT_EQ(copies.released, releasedBefore + 1);
    EXPECT_EQ(copies.count(), listed - 1);
    EXPECT_EQ(copies.bytes(), 0u) << "no other group holds a copy";

    // Drawn again: merged anew, the same picture.
    const Frame again = frame(row);
    EXPECT_EQ(gl().groupsDrawnMerged, 1);
    EXPECT_EQ(copies.bytes(), held);
    EXPECT_EQ(pixelsApart(seen, again), 0);

    // Turned away, the row lets its children go while it is drawn: no empty
    // copy is drawn or listed for it.
    lookAt({0, 8, -30}, {0, 8, -60});
    frame(row);
    EXPECT_EQ(row.childCount(), 0);
    EXPECT_EQ(gl().groupsDrawnMerged, 0);
    EXPECT_EQ(copies.count(), listed - 1);
}
