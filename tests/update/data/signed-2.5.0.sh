#!/bin/sh
# Fixture installer: the image must be beside it.
test -s "$(dirname "$0")/squash.sqfs"
