// Display lists without a GL context: a mesh counts as one and refuses to
// take others, a group keeps its entries in order, and the emission rule
// turns a single mesh into a group on the second emission.
#include <gtest/gtest.h>

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
