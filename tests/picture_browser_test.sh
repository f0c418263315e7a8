#!/bin/sh
# Opens pictures of read-outs that differ in a real browser (Chromium,
# headless) and checks on the rendered page that every cell that differs
# is drawn: a differing block in the grid for each, and marks on the bar,
# each at least 3 pixels wide and high, all inside the picture.
# Without Chromium it says that it skipped (exit status 77), but fails where
# TARNWICK_REQUIRE_BROWSER is set, as CI sets it.
# Usage: picture_browser_test.sh path/to/tarnwick
set -eu
case $1 in /*) tool=$1 ;; *) tool=$PWD/$1 ;; esac
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ] && [ -n "${TARNWICK_REQUIRE_BROWSER-}" ]; then
	echo "FAIL: no chromium to open the pictures in" && exit 1
elif [ -z "$browser" ]; then
	echo "skipped: chromium is not installed (scripts/install-deps.sh installs it)" && exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A 16 MiB chip read out twice, the second with five cells changed: the
# first and the last cell, and three far apart between them; and a 4 KiB
# program memory whose cell 2000 differs.
head -c 16777216 /dev/zero | tr '\000' '\377' >a.bin
cp a.bin b.bin
for cell in 0 300000 8388608 12345678 16777215; do
	printf 'U' | dd of=b.bin bs=1 seek=$cell conv=notrunc 2>/dev/null
done
"$tool" --diff --binary --eeprom-size=16384K --picture=chip.svg a.bin b.bin >/dev/null 2>&1 || true
printf ':03000000020000FB\n' >prog.hex
"$tool" prog.hex --binary bad.bin 2>/dev/null
printf 'U' | dd of=bad.bin bs=1 seek=2000 conv=notrunc 2>/dev/null
"$tool" --verify --binary --picture=small.svg prog.hex bad.bin >/dev/null 2>&1 || true

# The page: each picture in a frame of its own; once loaded, a line for
# each: the differing shapes of the grid and of the bar, and those that
# are smaller than 3 pixels or outside the picture.
cat >check.html <<'END'
<!DOCTYPE html>
<html><body>
<iframe src="chip.svg" width="800" height="1000"></iframe>
<iframe src="small.svg" width="800" height="1000"></iframe>
<pre id="result">not loaded</pre>
<script>
function measure(frame) {
	var doc = frame.contentDocument, box = doc.documentElement.getBoundingClientRect();
	var counts = {grid: 0, overview: 0, bad: 0};
	doc.querySelectorAll('rect.differing').forEach(function (shape) {
		var r = shape.getBoundingClientRect();
		counts[shape.parentNode.id] = (counts[shape.parentNode.id] || 0) + 1;
		if (r.width < 3 || r.height < 3 || r.left < box.left || r.top < box.top ||
		    r.right > box.right || r.bottom > box.bottom)
			counts.bad++;
	});
	return 'grid ' + counts.grid + ' overview ' + counts.overview + ' bad ' + counts.bad;
}
window.onload = function () {
	var frames = document.getElementsByTagName('iframe');
	document.getElementById('result').textContent = measure(frames[0]) + '\n' + measure(frames[1]);
};
</script></body></html>
END
"$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
	--allow-file-access-from-files --virtual-time-budget=10000 \
	--dump-dom "file://$work/check.html" >dom.html 2>browser.err || true
result=$(sed -n '/<pre id="result">/,/<\/pre>/p' dom.html | sed 's/<[^>]*>//g')
expected="grid 5 overview 5 bad 0
grid 1 overview 1 bad 0"
if [ "$result" != "$expected" ]; then
	printf 'FAIL: the rendered pictures show\n%s\nnot\n%s\n' "$result" "$expected"
	tail -n 5 browser.err
	exit 1
fi
echo "the browser draws every differing cell, at least 3 pixels wide, inside the picture"
