#!/bin/sh
# Installs the Debian packages that the build and the tests need, but only
# those that are missing: a machine that has them all is left alone.
# Usage: scripts/install-deps.sh [package ...]   (default: the build's and tests' packages)
set -eu

if [ "$#" -eq 0 ]; then
	set -- cmake make gcc g++ libgtest-dev srecord valgrind groff mandoc man-db
fi

missing=""
for package in "$@"; do
	if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
		missing="$missing $package"
	fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
	as_root=""
elif command -v sudo >/dev/null 2>&1; then
	as_root="sudo"
else
	echo "install-deps: missing packages:$missing; run as root to install them" >&2
	exit 1
fi
echo "install-deps: installing$missing" >&2
$as_root apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
