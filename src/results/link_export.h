#pragma once

// The found files handed on to a download manager or a spreadsheet: the
// files of the entries the results list shows, in one of three forms.

#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "results/results_view.h"

namespace orvi {

enum class ExportFormat {
  // The address of every Valid file, one a line: what "wget -i" and curl read.
  List,
  // An aria2c input file: per group, the addresses of its Valid copies on one
  // line (aria2 takes them for mirrors of one download), then the option
  // lines " out=<file name>" and " dir=<entry key>", so that the volumes of
  // a set land in one folder.
  Aria2,
  // RFC 4180 CSV with the header key,type,name,url,page,state,size,date and
  // one row per file, whatever its state; CR LF line ends. Control bytes of
  // texts are written \xHH, as the command line shows them.
  Csv,
};

// "list", "aria2" or "csv"; nothing for any other name.
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);

// The files of the entries that the results list shows with these toggles and
// this filter (EntryListed), in catalogue order, under CatalogueLock. Texts
// are written in UTF-8; in addresses, the bytes above 126, spaces and control
// bytes are percent-encoded, so that a download manager asks for exactly the
// bytes the program checked.
std::string ExportLinks(Context& ctx, const ViewToggles& toggles, const KeyFilter& filter,
                        ExportFormat format);

// A key or a file name (UTF-8) made a safe name for one level of a relative
// path: "/", "\" and control bytes become "_", every ".." becomes "__", a
// name that starts with "." (hidden, or "." itself) or is empty gets a "_"
// in front.
std::string SafePathPart(std::string_view name);

}  // namespace orvi
