#include "tools/tour/TilesPage.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The files the page imports, under node_modules (and so under lib/).
const char* const kFiles[] = {
    "three/LICENSE",
    "three/build/three.module.js",
    "three/build/three.core.js",
    "three/examples/jsm/controls/OrbitControls.js",
    "three/examples/jsm/loaders/GLTFLoader.js",
    "three/examples/jsm/utils/BufferGeometryUtils.js",
    "three/examples/jsm/utils/SkeletonUtils.js",
    "three/examples/jsm/libs/meshopt_decoder.module.js",
    "3d-tiles-renderer/LICENSE",
};
// 3d-tiles-renderer's build is split into chunks whose names carry a hash:
// all of its modules are copied.
const char* const kTilesBuild = "3d-tiles-renderer/build";

const char* const kPage = R"PAGE(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Callimora</title>
<style>
html, body { margin: 0; height: 100%; overflow: hidden; background: #9ec3e0; }
#status { position: absolute; left: 8px; top: 8px; font: 13px sans-serif; color: #123;
          background: rgba(255, 255, 255, 0.6); padding: 2px 6px; border-radius: 3px; }
</style>
<script type="importmap">
{ "imports": {
    "three": "./lib/three/build/three.module.js",
    "three/addons/": "./lib/three/examples/jsm/",
    "3d-tiles-renderer": "./lib/3d-tiles-renderer/build/index.three.js" } }
</script>
</head>
<body>
<div id="status">Loading the tileset...</div>
<script type="module">
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { MeshoptDecoder } from 'three/addons/libs/meshopt_decoder.module.js';
import { TilesRenderer } from '3d-tiles-renderer';

// What a test (or a curious reader) can ask the page.
const state = window.callimoraTiles = { root: false, quarters: 0, models: 0, errors: [], framesAfterLoad: 0, frameMs: 0 };
const status = document.getElementById('status');

const renderer = new THREE.WebGLRenderer();
renderer.setPixelRatio(window.devicePixelRatio);
renderer.setSize(window.innerWidth, window.innerHeight);
document.body.appendChild(renderer.domElement);

const scene = new THREE.Scene();
scene.background = new THREE.Color(0x9ec3e0);
scene.add(new THREE.HemisphereLight(0xdfeeff, 0x4a4034, 1.6));
// The renderer's light, from the town's frame into this one (z mirrored).
const sun = new THREE.DirectionalLight(0xffffff, 2.0);
sun.position.set(58, 69, 114);
scene.add(sun);

const camera = new THREE.PerspectiveCamera(55, window.innerWidth / window.innerHeight, 1, 40000);
const controls = new OrbitControls(camera, renderer.domElement);
controls.screenSpacePanning = false;

const tiles = new TilesRenderer(new URL('tileset.json', window.location.href).toString());
const loader = new GLTFLoader(tiles.manager);
loader.setMeshoptDecoder(MeshoptDecoder);
tiles.manager.addHandler(/\.(gltf|glb)$/g, loader);
// 3D Tiles count z up; the scene counts y up.
tiles.group.rotation.x = -Math.PI / 2;
scene.add(tiles.group);
tiles.setCamera(camera);
tiles.setResolutionFromRenderer(camera, renderer);

tiles.addEventListener('load-tileset', () => {
    if (state.root)
        return;
    state.root = true;
    tiles.group.updateMatrixWorld(true);
    const box = new THREE.Box3();
    tiles.getBoundingBox(box);
    box.applyMatrix4(tiles.group.matrixWorld);
    const centre = box.getCenter(new THREE.Vector3()), size = box.getSize(new THREE.Vector3());
    // Above one end of the town's longer side, looking along it: the town
    // fills the lower part of the view, the sky the upper.
    const along = size.x >= size.z ? new THREE.Vector3(1, 0, 0) : new THREE.Vector3(0, 0, 1);
    const half = 0.5 * Math.max(size.x, size.z, 100);
    camera.position.copy(centre).addScaledVector(along, 0.95 * half);
    camera.position.y = box.max.y + 0.3 * half;
    const target = centre.clone().addScaledVector(along, -0.2 * half);
    target.y = box.min.y;
    controls.target.copy(target);
    controls.update();
});
tiles.addEventListener('load-model', (e) => {
    ++state.models;
    if (/quarters\//.test(e.url || ''))
        ++state.quarters;
    state.framesAfterLoad = 0;
    dirty = true;
});
tiles.addEventListener('load-error', (e) => {
    state.errors.push(String(e.url) + ': ' + String(e.error));
});

// Drawn while tiles load or the view changes, not otherwise: a quarter is millions of triangles.
let dirty = true;
controls.addEventListener('change', () => { dirty = true; });
tiles.addEventListener('needs-update', () => { dirty = true; });

window.addEventListener('resize', () => {
    dirty = true;
    camera.aspect = window.innerWidth / window.innerHeight;
    camera.updateProjectionMatrix();
    renderer.setSize(window.innerWidth, window.innerHeight);
    tiles.setResolutionFromRenderer(camera, renderer);
});

renderer.setAnimationLoop(() => {
    controls.update();
    if (!dirty && !tiles.isLoading)
        return;
    dirty = false;
    const start = performance.now();
    camera.updateMatrixWorld();
    tiles.update();
    renderer.render(scene, camera);
    state.frameMs = performance.now() - start;
    if (!tiles.isLoading)
        ++state.framesAfterLoad;
    status.textContent = state.errors.length ? 'Failed: ' + state.errors[0]
        : 'Callimora: ' + state.quarters + ' quarters drawn' + (tiles.isLoading ? ', loading...' : '');
});
</script>
</body>
</html>
)PAGE";

bool copyFile(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

bool writeTilesPage(const std::string& dir, const std::string& nodeModules, std::string& error) {
    const fs::path from(nodeModules), lib = fs::path(dir) / "lib";
    for (const char* file : kFiles)
        if (!fs::is_regular_file(from / file)) {
            error = "the page needs " + (from / file).string() +
                    ": scripts/bootstrap installs three and 3d-tiles-renderer there with npm";
            return false;
        }
    for (const char* file : kFiles)
        if (!copyFile(from / file, lib / file, error))
            return false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(from / kTilesBuild, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".js" &&
            !copyFile(entry.path(), lib / kTilesBuild / entry.path().filename(), error))
            return false;
    if (ec) {
        error = "cannot read " + (from / kTilesBuild).string();
        return false;
    }
    const fs::path page = fs::path(dir) / "index.html";
    std::ofstream out(page, std::ios::binary | std::ios::trunc);
    out << kPage;
    out.close();
    if (!out) {
        error = "cannot write " + page.string();
        return false;
    }
    return true;
}
