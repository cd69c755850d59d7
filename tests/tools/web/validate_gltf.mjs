// The Khronos glTF-Validator over exported files: each must have no error
// and no warning (information and hints, such as an extension the validator
// cannot check itself, are listed but allowed).
//
// usage: node validate_gltf.mjs FILE.glb...
import fs from 'node:fs';
import { validateBytes } from 'gltf-validator';

const files = process.argv.slice(2);
if (files.length === 0) {
    console.error('usage: node validate_gltf.mjs FILE.glb...');
    process.exit(2);
}
let failed = 0;
for (const file of files) {
    const report = await validateBytes(new Uint8Array(fs.readFileSync(file)), { maxIssues: 50 });
    const { numErrors, numWarnings, numInfos, numHints, messages } = report.issues;
    console.log(`gltf-validator: ${file}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos, ` +
                `${numHints} hints`);
    for (const m of messages)
        console.log(`  ${['error', 'warning', 'info', 'hint'][m.severity]} ${m.code} ${m.pointer || ''}: ${m.message}`);
    if (numErrors > 0 || numWarnings > 0)
        ++failed;
}
console.log(`${files.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
