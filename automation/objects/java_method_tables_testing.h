// For test programs that link the library code directly: lets each test start from a
// process without tables. Not exported from Vanu.dll.
#pragma once

// Frees the four tables and any table under construction and sets every pointer to null.
// The class global references they hold are not deleted: they belong to the environment the
// test used. Not for use while a member may read the tables.
void ForgetJavaMethodTablesForTesting() noexcept;
