/* Compiles the C array that tarnwick writes for the example program, with
   flash defined away, and checks bytes of the image at known indices. */
#include <stdio.h>

#include "blink_image.inc"

struct expected_byte {
	unsigned index;
	unsigned value;
};

static const struct expected_byte EXPECTED[] = {
	{0, 0x0b},    {1, 0x03},    {2, 0x00},    {3, 0x02},   {4, 0x00},
	{5, 0x40},    {6, 0xff},    {0x42, 0xff}, {0x43, 0x75}, {0x44, 0x81},
	{0x51, 0xf4}, {0x52, 0xff}, {4095, 0xff},
};

int main(void)
{
	unsigned i;
	int failures = 0;

	if (sizeof blink_image != 4096) {
		printf("FAIL: the array holds %u entries, not 4096\n",
		       (unsigned)sizeof blink_image);
		failures++;
	}
	for (i = 0; i < sizeof EXPECTED / sizeof EXPECTED[0]; i++) {
		unsigned got = blink_image[EXPECTED[i].index];
		if (got != EXPECTED[i].value) {
			printf("FAIL: entry %u is 0x%02x, not 0x%02x\n",
			       EXPECTED[i].index, got, EXPECTED[i].value);
			failures++;
		}
	}
	printf("%d passed, %d failed\n",
	       (int)(sizeof EXPECTED / sizeof EXPECTED[0]) + 1 - failures, failures);
	return failures != 0;
}
