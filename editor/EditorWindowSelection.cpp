#include "editor/EditorWindow.h"

#include <cstdio>

#include "core/Desc.h"
#include "renderer/GltfExporter.h"
#include "renderer/Picker.h"
#include "renderer/RendererGl.h"

// The selection and the properties that follow it, picking, and the export
// of what is selected.

void EditorWindow::select(Desc* desc) {
    selection_.select(desc);
    properties_.setTarget(desc ? desc : world_.get());
    statusText_ = selection_.statusText();
}

void EditorWindow::checkSelection() {
    if (selection_.empty())
        return;
    if (!selection_.validate(world_.get())) {
        // Its description was freed with the view: nothing is selected now.
        properties_.setTarget(world_.get());
        statusText_.clear();
        return;
    }
    properties_.refresh();
}

void EditorWindow::pickAt(int x, int y) {
    if (!renderer_ || !world_)
        return;
    const Picker::Ray ray = Picker::rayThroughPixel(*renderer_, static_cast<float>(x) + 0.5f,
                                                    static_cast<float>(y) + 0.5f);
    select(Picker::pick(*world_, ray).desc);
}

void EditorWindow::exportGltf(const std::string& path) {
    checkSelection();
    Desc* what = selection_.get() ? selection_.get() : world_.get();
    if (!what)
        return;
    GltfExporter exporter;
    exporter.format = exportPlain_ ? GltfFormat::Plain : GltfFormat::Compact;
    char text[512];
    if (exporter.exportSubtree(*what, path)) {
        const GltfExporter::Summary& s = exporter.summary();
        std::snprintf(text, sizeof text, "Exported %s: %ld triangles, %d meshes, %d textures, %ld KB in %.0f ms",
                      path.c_str(), s.triangles, s.meshes, s.textures, (s.bytes + 1023) / 1024, s.ms);
    } else {
        std::snprintf(text, sizeof text, "Export failed: %s", exporter.error().c_str());
    }
    statusText_ = text;
}
