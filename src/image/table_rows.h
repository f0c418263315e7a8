// Checks, when the program is built, that a table holds one row for each value of its enumeration, in order.
#ifndef TARNWICK_TABLE_ROWS_H
#define TARNWICK_TABLE_ROWS_H

#include <cstddef>

// Whether the table has count rows and row i names itself i (its field id)
// for every i: a row left out, one too many or one out of place fails a
// static_assert that asks this.
template <class Row, size_t N> constexpr bool rows_in_order(const Row (&rows)[N], size_t count)
{
	if (N != count)
		return false;
	for (size_t i = 0; i < N; i++)
		if (rows[i].id != int(i))
			return false;
	return true;
}

#endif
