// Display lists without a GL context: a mesh counts as one and refuses to
// take others, a group keeps its entries in order, and the emission rule
// turns a single mesh into a group on the second emission.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/NullRenderContext.h"
#include "renderer/Mesh.h"

namespace {

std::unique_ptr<Mesh> triangleMesh() {
    std::vector<Vertex> vertices(3);
    vertices[1].x = 1;
    vertices[2].z = 1;
    return std::make_unique<Mesh>(std::move(vertices), std::vector<uint16_t>{0, 1, 2});
}

// A list entry that notes when it is drawn.
class Probe : public RenderList {
public:
    Probe(std::vector<int>& log, int id) : log_(log), id_(id) {}
    int count() const override { return 1; }
    void add(std::unique_ptr<RenderList>) override {}
    void draw(RenderContext&) override { log_.push_back(id_); }

private:
    std::vector<int>& log_;
    int id_;
};

}  // namespace

TEST(Mesh, CountsAsOneAndKeepsItsArrays) {
    auto mesh = triangleMesh();
    EXPECT_EQ(mesh->count(), 1);
    EXPECT_EQ(mesh->vertexCount(), 3);
    EXPECT_EQ(mesh->triangleCount(), 1);
    EXPECT_FALSE(mesh->uploaded());
}

TEST(Mesh, AddOnASingleMeshIsAnAssertionOfTheRenderer) {
    auto mesh = triangleMesh();
    try {
        mesh->add(triangleMesh());
        FAIL() << "add on a mesh must fail";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), "renderer/RendererGl");
    }
}

TEST(Mesh, RejectsIndexListsThatAreNotTriangles) {
    EXPECT_THROW(Mesh(std::vector<Vertex>(3), std::vector<uint16_t>{0, 1}), AssertException);
}

TEST(Mesh, DrawingInAnotherContextCountsItsTriangles) {
    NullRenderContext ctx;
    ctx.trianglesDrawn = 5;
    auto mesh = triangleMesh();
    mesh->draw(ctx);
    EXPECT_EQ(ctx.trianglesDrawn, 6);
}

TEST(MeshGroup, DrawsEntriesInTheOrderAdded) {
    std::vector<int> log;
    MeshGroup group;
    for (int id : {3, 1, 2})
        group.add(std::make_unique<Probe>(log, id));
    EXPECT_EQ(group.count(), 3);
    NullRenderContext ctx;
    group.draw(ctx);
    EXPECT_EQ(log, (std::vector<int>{3, 1, 2}));
}

TEST(Collect, FirstMeshBecomesTheList) {
    std::unique_ptr<RenderList> collected;
    auto mesh = triangleMesh();
    RenderList* first = mesh.get();
    collect(collected, std::move(mesh));
    EXPECT_EQ(collected.get(), first);
    EXPECT_EQ(collected->count(), 1);
}

TEST(Collect, SecondMeshMakesAGroupOfTwoInEmissionOrder) {
    std::unique_ptr<RenderList> collected;
    auto a = triangleMesh(), b = triangleMesh(), c = triangleMesh();
    RenderList *first = a.get(), *second = b.get(), *third = c.get();
    collect(collected, std::move(a));
    collect(collected, std::move(b));
    auto* group = dynamic_cast<MeshGroup*>(collected.get());
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count(), 2);
    EXPECT_EQ(&group->entry(0), first);
    EXPECT_EQ(&group->entry(1), second);
    collect(collected, std::move(c));
    EXPECT_EQ(collected.get(), group);
    ASSERT_EQ(group->count(), 3);
    EXPECT_EQ(&group->entry(2), third);
}

TEST(Mesh, NormalsArePackedToTheirDirection) {
    // Directions all round, of any length: unpacked, each within 1/1022 a
    // component of the unit direction.
    for (int i = 0; i < 200; ++i) {
        const float a = 0.37f * static_cast<float>(i), b = 0.11f * static_cast<float>(i);
        const Vector unit(std::cos(a) * std::cos(b), std::sin(b), std::sin(a) * std::cos(b));
        const float length = 0.01f + 3.0f * static_cast<float>(i % 7);
        const Vector back = unpackNormal(packNormal(unit.x * length, unit.y * length, unit.z * length));
        EXPECT_NEAR(back.x, unit.x, 1.0f / 1022) << i;
        EXPECT_NEAR(back.y, unit.y, 1.0f / 1022) << i;
        EXPECT_NEAR(back.z, unit.z, 1.0f / 1022) << i;
    }
    // The axes exactly, both ways.
    const Vector down = unpackNormal(packNormal(0, -2, 0));
    EXPECT_EQ(down.x, 0);
    EXPECT_EQ(down.y, -1);
    EXPECT_EQ(down.z, 0);
    EXPECT_EQ(unpackNormal(packNormal(0, 0, 5)).z, 1);
    // No direction packs as none, whatever the input.
    EXPECT_EQ(packNormal(0, 0, 0), 0u);
    EXPECT_EQ(packNormal(std::nanf(""), 1, 0), 0u);
    EXPECT_EQ(packNormal(std::numeric_limits<float>::infinity(), 0, 0), 0u);
}

TEST(Mesh, KeepsPositionsAndTextureCoordinatesAsGivenAndNormalsPacked) {
    std::vector<Vertex> vertices(3);
    vertices[1] = {1.5f, -2.25f, 3, 0, 0, -4, 7.5f, -0.125f};
    const Mesh mesh(vertices, std::vector<uint16_t>{0, 1, 2});
    const PackedVertex& v = mesh.vertices()[1];
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -2.25f);
    EXPECT_EQ(v.z, 3);
    EXPECT_EQ(v.u, 7.5f);
    EXPECT_EQ(v.v, -0.125f);
    EXPECT_EQ(unpackNormal(v.normal).z, -1);
}
