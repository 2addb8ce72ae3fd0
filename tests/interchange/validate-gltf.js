// Runs the Khronos glTF validator over one .glb and prints its report's counts and messages.
// Exit 0 when it found no errors and no warnings, 1 otherwise, 2 when it cannot run.
//   node validate-gltf.js NODE_MODULES_DIR FILE.glb
const path = require('path');
const fs = require('fs');
let validator;
try {
  validator = require(path.resolve(process.argv[2], 'gltf-validator'));
} catch (e) {
  console.error('gltf-validator is not installed: ' + e.message);
  process.exit(2);
}
const bytes = new Uint8Array(fs.readFileSync(process.argv[3]));
validator.validateBytes(bytes, { maxIssues: 50 }).then((report) => {
  const issues = report.issues;
  for (const m of issues.messages) {
    console.log(`${m.severity} ${m.code} ${m.pointer || ''}: ${m.message}`);
  }
  console.log(`errors ${issues.numErrors} warnings ${issues.numWarnings} infos ${issues.numInfos} hints ${issues.numHints}`);
  process.exit(issues.numErrors === 0 && issues.numWarnings === 0 ? 0 : 1);
}, (error) => {
  console.error(error);
  process.exit(1);
});
