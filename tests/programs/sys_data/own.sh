#!/bin/sh
echo "own script: $1"
