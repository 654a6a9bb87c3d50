// Validates SARIF logs against the SARIF 2.1.0 schema, the one Microsoft's
// SARIF SDK ships, with the ajv validator:
//   node validate.js <node_modules folder> FILE...
// Exits 1 and names every violation when a file does not conform.
'use strict';
const fs = require('fs');
const path = require('path');

const modules = process.argv[2];
const Ajv = require(path.join(modules, 'ajv'));
const schema = require(path.join(modules, '@microsoft/jest-sarif/lib/schemas/sarif-2.1.0-rtm.5.json'));
const ajv = new Ajv({ schemaId: 'id', meta: false, allErrors: true });
ajv.addMetaSchema(require(path.join(modules, 'ajv/lib/refs/json-schema-draft-04.json')));
const validate = ajv.compile(schema);

let failed = false;
for (const file of process.argv.slice(3)) {
  let log;
  try {
    log = JSON.parse(fs.readFileSync(file, 'utf8'));
  } catch (error) {
    console.error(`${file}: not JSON: ${error.message}`);
    failed = true;
    continue;
  }
  if (!validate(log)) {
    failed = true;
    for (const error of validate.errors) console.error(`${file}: ${error.dataPath} ${error.message}`);
  }
}
process.exit(failed ? 1 : 0);
