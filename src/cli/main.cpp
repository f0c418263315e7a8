// The tarnwick executable's entry point.
#include "cli/driver.h"
#include "platform/platform.h"

int main(int argc, char **argv)
{
	int opened = open_closed_standard_descriptors();
	ignore_write_signals();
	char **args = utf8_arguments(&argc, argv);
	return tarnwick_run(argc, args, (opened & 2) != 0);
}
