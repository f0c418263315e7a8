// The raw binary writer: the image as the bytes of the EEPROM.
#include "forms/raw_writer.h"

int write_raw(FILE *out, const image_output *o)
{
	if (o->end > o->first)
		std::fwrite(chip_bytes(o->img, o->first), 1, o->end - o->first, out);
	return WRITE_OK;
}
