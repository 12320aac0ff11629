#!/usr/bin/env bash
# Replaces countries-110m.json and LICENSE with those of the npm package world-atlas.
# Usage: refresh.sh [version]   (default: the 2.x line)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
version="${1:-2}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && npm pack --silent "world-atlas@${version}" >/dev/null)
tar -xzf "$scratch"/world-atlas-*.tgz -C "$scratch"
for f in countries-110m.json LICENSE; do
  test -s "$scratch/package/$f" || { echo "refresh.sh: $f missing from the package" >&2; exit 1; }
done
node -e 'const t = JSON.parse(require("fs").readFileSync(process.argv[1]));
  if (t.type !== "Topology" || !t.objects.countries) process.exit(1);' "$scratch/package/countries-110m.json" \
  || { echo "refresh.sh: countries-110m.json is not the expected topology" >&2; exit 1; }
cp "$scratch/package/countries-110m.json" "$scratch/package/LICENSE" "$here/"
echo "refreshed from world-atlas $(node -p 'require(process.argv[1]).version' "$scratch/package/package.json")"
git -C "$here" status --short -- . || true
