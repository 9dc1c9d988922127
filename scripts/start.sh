#!/usr/bin/env bash
# Sets up the machine, builds, and starts MorvikLibrary on its embedded
# default: the settings file and the catalogue beside the program in
# build/bin, the books, movies and image-library folders under your home.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/bin/MorvikLibrary "$@"
