#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job: zep's whole life under Wine and Xvfb in a test
# network with a router host, from the package's setup.exe to removal. Prints where the screenshots
# are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
exec /usr/bin/python3 scripts/demo.py
