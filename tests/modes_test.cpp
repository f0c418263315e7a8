// Tests of the table of modes: the bash completion knows each mode and the options that it takes.
#include "cli/options.h"
#include "modes/modes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

// What the completion script says: its modes ("letter:option" words) on the
// first line, then each option it knows and the letters of the modes that
// take it ("*" for every mode).
std::string completion_tables()
{
	std::string command = "bash -c '. \"$0\"; echo \"$_tarnwick_modes\"; for o in $_tarnwick_options; "
			      "do echo \"$o ${_tarnwick_takes[$o]-*}\"; done' " TARNWICK_COMPLETION;
	std::string text;
	FILE *out = popen(command.c_str(), "r");
	for (int ch; out != nullptr && (ch = std::fgetc(out)) != EOF;)
		text += char(ch);
	if (out != nullptr)
		pclose(out);
	return text;
}

TEST(mode_table, completion_offers_each_mode_the_options_it_takes)
{
	std::istringstream lines(completion_tables());
	std::string line, word;
	std::getline(lines, line);
	std::map<std::string, char> letter_of; // a mode's option ("" for the conversion)
	for (std::istringstream modes(line); modes >> word;)
		letter_of[word.substr(2)] = word[0];
	ASSERT_EQ(size_t(MODE_COUNT), letter_of.size()) << line;
	std::map<std::string, std::set<char>> takes;
	while (lines >> word >> line)
		for (char letter : line)
			takes[word].insert(letter);
	for (const option_row &row : OPTION_TABLE) {
		std::string name = row.long_name != nullptr ? std::string("--") + row.long_name + (row.takes_value ? "=" : "")
							    : std::string("-") + char(row.letter);
		std::set<char> expected;
		for (const mode_row &m : MODES) {
			ASSERT_EQ(1u, letter_of.count(m.option != nullptr ? m.option : "")) << m.option;
			if (row.modes & (1 << m.id))
				expected.insert(letter_of[m.option != nullptr ? m.option : ""]);
		}
		ASSERT_EQ(1u, takes.count(name)) << name << " is not in the completion";
		EXPECT_TRUE(takes[name] == std::set<char>{'*'} ? expected.size() == size_t(MODE_COUNT)
							       : takes[name] == expected)
			<< name;
	}
}

} // namespace
