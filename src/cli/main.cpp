// The tarnwick executable's entry point.
#include "cli/driver.h"

int main(int argc, char **argv)
{
	return tarnwick_run(argc, argv);
}
