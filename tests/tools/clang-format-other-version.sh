#!/bin/sh
# Stands in for a clang-format of another major version: it names its version and finds nothing
# to change, so only the version check can fail the style check with it.
echo "Debian clang-format version 15.0.6"
