// The glTF export of one whole quarter, read back: what the GL renderer
// tessellates of the same subtree, nothing more or less.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "renderer/GltfExporter.h"
#include "tests/renderer/GlTestSupport.h"
#include "tools/tour/Census.h"
#include "typology/World.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

namespace {

long listTriangles(const RenderList* list) {
    if (!list)
        return 0;
    if (auto* mesh = dynamic_cast<const Mesh*>(list))
        return mesh->triangleCount();
    long n = 0;
    auto* group = dynamic_cast<const MeshGroup*>(list);
    for (int i = 0; group && i < group->count(); ++i)
        n += listTriangles(&group->entry(i));
    return n;
}

// Records, as a frame would, everything the renderer draws of the grown
// subtree: leaves, and the own shape of descriptions without children.
long recordedTriangles(Drawable& d, RendererGl& renderer) {
    auto* desc = dynamic_cast<Desc*>(&d);
    if (desc && desc->childCount() > 0) {
        long n = 0;
        for (int i = 0; i < desc->childCount(); ++i)
            n += recordedTriangles(*desc->child(i), renderer);
        return n;
    }
    d.renderHandle.reset();
    desc ? desc->renderOwnShape(renderer) : d.render(renderer);
    return listTriangles(d.renderHandle.get());
}

template <class T>
const T* elements(const tinygltf::Model& m, int accessor, size_t& count) {
    const tinygltf::Accessor& a = m.accessors[accessor];
    const tinygltf::BufferView& v = m.bufferViews[a.bufferView];
    count = a.count;
    return reinterpret_cast<const T*>(m.buffers[v.buffer].data.data() + v.byteOffset + a.byteOffset);
}

Vector at(const float* p, uint32_t i) { return {p[3 * i], p[3 * i + 1], p[3 * i + 2]}; }

}  // namespace

TEST(GltfExport, AQuarterReadsBackAsTheRendererTessellatesIt) {
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);
    Matrix44 frame;
    TypQuaIrregular* quarter = censusQuarter(*world, root->land, nullptr, frame);
    ASSERT_NE(quarter, nullptr);
    growToLeaves(*quarter);

    RendererGl& renderer = gltest::renderer();
    renderer.beginFrame();
    const long drawn = recordedTriangles(*quarter, renderer);
    renderer.endFrame();
    ASSERT_GT(drawn, 1000);

    const std::string path = (std::filesystem::temp_directory_path() / "callimora_quarter_test.glb").string();
    GltfExporter exporter;
    exporter.format = GltfFormat::Plain;
    ASSERT_TRUE(exporter.exportSubtree(*quarter, path)) << exporter.error();
    EXPECT_EQ(exporter.summary().triangles, drawn);

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path));
    EXPECT_EQ(error, "");
    EXPECT_EQ(warning, "");
    std::filesystem::remove(path);

    // Every texture is in the file and decodes; every material finds its texture.
    ASSERT_GT(model.textures.size(), 0u);
    for (const tinygltf::Texture& t : model.textures) {
        ASSERT_GE(t.source, 0);
        const tinygltf::Image& image = model.images[static_cast<size_t>(t.source)];
        EXPECT_GE(image.bufferView, 0) << image.name;
        EXPECT_EQ(image.uri, "") << image.name;
        EXPECT_GT(image.width, 0) << image.name;
    }
    for (const tinygltf::Material& m : model.materials)
        EXPECT_LT(m.pbrMetallicRoughness.baseColorTexture.index, static_cast<int>(model.textures.size()));

    // Triangles as drawn (a model kept once counts once for every node that
    // places it), unit normals, and faces seen from the side their normal
    // points to (placements turn without mirroring).
    std::vector<long> placed(model.meshes.size(), 0);
    for (const tinygltf::Node& node : model.nodes)
        if (node.mesh >= 0)
            ++placed[static_cast<size_t>(node.mesh)];
    long triangles = 0, agreeing = 0, solid = 0;
    for (size_t m = 0; m < model.meshes.size(); ++m)
        for (const tinygltf::Primitive& p : model.meshes[m].primitives) {
            size_t n = 0, vertices = 0, normalCount = 0;
            const uint32_t* index = elements<uint32_t>(model, p.indices, n);
            const float* position = elements<float>(model, p.attributes.at("POSITION"), vertices);
            const float* normal = elements<float>(model, p.attributes.at("NORMAL"), normalCount);
            ASSERT_EQ(vertices, normalCount);
            triangles += static_cast<long>(n / 3) * placed[m];
            for (size_t t = 0; t + 2 < n; t += 3) {
                const Vector a = at(position, index[t]), b = at(position, index[t + 1]), c = at(position, index[t + 2]);
                const Vector face = (b - a).cross(c - a), stored = at(normal, index[t + 2]);
                ASSERT_NEAR(stored.dot(stored), 1.0f, 1e-3f);
                if (face.dot(face) < 1e-8f)
                    continue;
                ++solid;
                agreeing += face.dot(stored) > 0 ? 1 : 0;
            }
        }
    EXPECT_EQ(triangles, drawn);
    // A vertex shared by faces of several slopes keeps one of their normals.
    EXPECT_GT(static_cast<double>(agreeing), 0.99 * static_cast<double>(solid));
    destroyWorld(world);
}

// Written while it grows, one branch at a time, a quarter is the same file
// as when it is grown whole first: nothing in it depends on its neighbours.
TEST(GltfExport, AQuarterGrownWhileWrittenIsTheSameFile) {
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);
    Matrix44 frame;
    TypQuaIrregular* quarter = censusQuarter(*world, root->land, nullptr, frame);
    ASSERT_NE(quarter, nullptr);
    const auto dir = std::filesystem::temp_directory_path();
    const std::string grown = (dir / "callimora_grown_test.glb").string(),
                      growing = (dir / "callimora_growing_test.glb").string();
    GltfExporter exporter;
    ASSERT_TRUE(exporter.exportGrowing(*quarter, growing, [](Desc& d) { d.refine(Matrix44::identity()); }))
        << exporter.error();
    const GltfExporter::Summary whileGrowing = exporter.summary();
    // Only the quarter's own children are left of what was grown.
    for (int i = 0; i < quarter->childCount(); ++i) {
        if (auto* child = dynamic_cast<Desc*>(quarter->child(i))) {
            EXPECT_EQ(child->childCount(), 0);
        }
    }
    quarter->releaseChildren();
    growToLeaves(*quarter);
    ASSERT_TRUE(exporter.exportSubtree(*quarter, grown)) << exporter.error();
    EXPECT_EQ(exporter.summary().triangles, whileGrowing.triangles);
    EXPECT_GT(exporter.summary().placements, 100);
    std::ifstream a(grown, std::ios::binary), b(growing, std::ios::binary);
    const std::string first((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>()),
        second((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    EXPECT_GT(first.size(), 1000000u);
    EXPECT_TRUE(first == second) << first.size() << " and " << second.size() << " bytes";
    std::filesystem::remove(grown);
    std::filesystem::remove(growing);
    destroyWorld(world);
}
