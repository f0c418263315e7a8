#!/bin/sh
# Installs the Debian packages that the build and the tests need, but only
# those that are missing: a machine that has them all is left alone. As
# root it installs them with apt-get; for any other user it prints the one
# command to run and fails, so that nothing in the clone comes to belong to
# root.
# Usage: scripts/install-deps.sh [package ...]   (default: the build's and tests' packages)
set -eu

if [ "$#" -eq 0 ]; then
	set -- cmake make gcc g++ libgtest-dev srecord valgrind groff mandoc libxml2-utils chromium
fi

missing=""
for package in "$@"; do
	if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
		missing="$missing $package"
	fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
	echo "install-deps: missing packages:$missing" >&2
	if command -v sudo >/dev/null 2>&1; then
		echo "install them with:  sudo apt-get install$missing" >&2
	else
		echo "install them as root with:  apt-get install$missing" >&2
	fi
	echo "then run this script again, as yourself" >&2
	exit 1
fi
echo "install-deps: installing$missing" >&2
apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
