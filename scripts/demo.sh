#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job: zep under Wine and Xvfb in a test network
# with a router host. Prints where the screenshots are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
exec /usr/bin/python3 scripts/demo.py
