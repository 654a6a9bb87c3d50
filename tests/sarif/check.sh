#!/bin/sh
# tovel-check's SARIF output against the SARIF 2.1.0 schema:
#   check.sh <tovel-check> <node_modules folder> <source folder> <scratch folder>
# Every example, mistakes included, and a clean file each make a valid log,
# all of them together too; a log broken on purpose must be refused, so the
# validator cannot pass by accident.
set -u
check=$1 modules=$2 sources=$3 scratch=$4
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$modules/ajv/package.json" ]; then
    echo "sarif check: $modules holds no validator: make test installs it (tests/sarif/package.json)" >&2
    exit 1
fi
rm -rf "$scratch" && mkdir -p "$scratch"
status=0
n=0
for file in "$sources"/examples/*.tov "$sources"/examples/*/*.tov; do
    n=$((n + 1))
    "$check" --format=sarif "$file" > "$scratch/log$n.sarif"
    [ $? -le 1 ] || { echo "sarif check: tovel-check failed on $file" >&2; status=1; }
done
printf 'x = 1\nprint x\n' > "$scratch/clean.tov"
"$check" --format=sarif "$scratch/clean.tov" > "$scratch/clean.sarif" || status=1
"$check" --format=sarif "$sources"/examples/*.tov "$sources"/examples/*/*.tov > "$scratch/all.sarif"
node "$here/validate.js" "$modules" "$scratch"/*.sarif || status=1
# The validator refuses a level SARIF does not have.
sed 's/"level":"error"/"level":"fatal"/' "$scratch/all.sarif" > "$scratch/broken.json"
if node "$here/validate.js" "$modules" "$scratch/broken.json" 2>/dev/null; then
    echo "sarif check: the validator accepted a broken log" >&2
    status=1
fi
exit $status
