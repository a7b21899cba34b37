#pragma once

#include <string>

#include "core/context.h"

namespace orvi {

// The results file: per entry "[key,hits]", then per group one line
// "name,url,page,state,size,date" per file and a line ">"; CR LF line ends.
// Deleted entries are left out. False when the file cannot be written (the
// old file, if any, is then left as it was).
bool WriteResultsFile(Context& ctx, const std::string& path);
// The same text, composed in memory.
std::string ComposeResults(Context& ctx, const FileCatalogue& table);

// Appends the entries of a results file to the table, under CatalogueLock.
// Reading stops at the first malformed line, keeping what came before; a file
// that cannot be opened adds nothing. False only when it could not be opened.
// Entries past the table's capacity are left out; notLoaded, when given,
// receives how many.
bool ReadResultsFile(Context& ctx, FileCatalogue& table, const std::string& path,
                     int* notLoaded = nullptr);
// Gives the number of entries left out because the table was full.
int ParseResults(Context& ctx, FileCatalogue& table, std::string_view text);

}  // namespace orvi
