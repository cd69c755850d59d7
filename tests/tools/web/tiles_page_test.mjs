// Serves a tiles export on 127.0.0.1 with a plain static file server, opens
// its page in headless Chromium (Debian's, driven by playwright-core), waits
// until the quarters are drawn, saves a screenshot and checks that it shows
// a town under a sky: a spread of brightness, and a top unlike the bottom.
//
// usage: node tiles_page_test.mjs EXPORT_DIR SCREENSHOT.png [QUARTERS]
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const [dir, shot, wanted = '1'] = process.argv.slice(2);
if (!dir || !shot) {
    console.error('usage: node tiles_page_test.mjs EXPORT_DIR SCREENSHOT.png [QUARTERS]');
    process.exit(2);
}
const root = path.resolve(dir);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.json': 'application/json',
                '.glb': 'model/gltf-binary', '.png': 'image/png' };

const server = http.createServer((request, response) => {
    const name = decodeURIComponent(request.url.split(/[?#]/)[0]);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
        response.writeHead(404);
        response.end();
        return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/index.html`;

// The flags that work on this closed network, software WebGL.
const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
           '--disable-sync'],
});
let failed = false;
const fail = (message) => { console.error('tiles page: ' + message); failed = true; };
try {
    const page = await browser.newPage({ viewport: { width: 800, height: 600 } });
    const messages = [];
    page.on('console', (m) => messages.push(m.type() + ': ' + m.text()));
    page.on('pageerror', (e) => messages.push('page error: ' + e.message));
    await page.goto(url);
    try {
        await page.waitForFunction((n) => {
            const s = window.callimoraTiles;
            return s && (s.errors.length > 0 || (s.quarters >= n && s.framesAfterLoad >= 1));
        }, Number(wanted), { timeout: 240000, polling: 500 });
    } catch (e) {
        fail('the quarters were not drawn in time');
    }
    const state = await page.evaluate(() => window.callimoraTiles);
    console.log('tiles page: ' + JSON.stringify(state));
    if (state && state.errors.length)
        fail('the page failed to load: ' + state.errors.join('; '));
    fs.mkdirSync(path.dirname(path.resolve(shot)), { recursive: true });
    await page.screenshot({ path: shot, timeout: 120000 });
    console.log('tiles page: screenshot ' + path.resolve(shot));
    if (failed)
        console.error(messages.join('\n'));
} finally {
    await browser.close();
    server.close();
}

// The screenshot's pixels (8-bit RGB or RGBA PNG, as Chromium writes them).
function readPng(file) {
    const data = fs.readFileSync(file);
    let width = 0, height = 0, channels = 0;
    const idat = [];
    for (let at = 8; at < data.length;) {
        const length = data.readUInt32BE(at), type = data.toString('ascii', at + 4, at + 8);
        const body = data.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            if (body[8] !== 8 || body[12] !== 0)
                throw new Error('unexpected PNG form');
            channels = { 2: 3, 6: 4 }[body[9]];
        } else if (type === 'IDAT') {
            idat.push(body);
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(idat));
    const stride = width * channels, pixels = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let x = 0; x < stride; ++x) {
            const a = x >= channels ? pixels[y * stride + x - channels] : 0;
            const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
            const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
            let v = line[x];
            if (filter === 1) v += a;
            else if (filter === 2) v += b;
            else if (filter === 3) v += (a + b) >> 1;
            else if (filter === 4) {
                const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
                v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            pixels[y * stride + x] = v & 255;
        }
    }
    return { width, height, channels, pixels };
}

const { width, height, channels, pixels } = readPng(shot);
const brightness = (x, y) => {
    const i = (y * width + x) * channels;
    return 0.299 * pixels[i] + 0.587 * pixels[i + 1] + 0.114 * pixels[i + 2];
};
let sum = 0, squares = 0, n = 0;
for (let y = 0; y < height; y += 2)
    for (let x = 0; x < width; x += 2) {
        const b = brightness(x, y);
        sum += b, squares += b * b, ++n;
    }
const spread = Math.sqrt(Math.max(squares / n - (sum / n) ** 2, 0));
const band = (from, to) => {
    let s = 0, k = 0;
    for (let y = Math.floor(from * height); y < Math.floor(to * height); ++y)
        for (let x = 0; x < width; x += 2)
            s += brightness(x, y), ++k;
    return s / k;
};
const sky = band(0, 0.1), ground = band(0.75, 0.95);
console.log(`tiles page: brightness spread ${spread.toFixed(1)}, sky ${sky.toFixed(1)}, ground ${ground.toFixed(1)}`);
if (spread < 12)
    fail(`the picture is nearly blank (brightness spread ${spread.toFixed(1)})`);
if (Math.abs(sky - ground) < 15)
    fail(`the top and the bottom of the picture look alike (${sky.toFixed(1)} and ${ground.toFixed(1)})`);
process.exit(failed ? 1 : 0);
