// Readable names for table-driven tests whose cases carry a `name` field.
#ifndef TARNWICK_TEST_NAMES_H
#define TARNWICK_TEST_NAMES_H

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Names a parameterised test after its case, with every character that a
// test name cannot hold turned into '_'.
struct case_name {
	template <class T>
	std::string operator()(const testing::TestParamInfo<T> &info) const
	{
		std::string name = info.param.name;
		for (char &ch : name)
			if (!std::isalnum(static_cast<unsigned char>(ch)))
				ch = '_';
		return name;
	}
};

#endif
