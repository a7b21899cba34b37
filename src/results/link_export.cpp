#include "results/link_export.h"

#include <mutex>

#include "net/http_request.h"
#include "platform/cp1252.h"
#include "platform/text.h"
#include "results/catalogue.h"

namespace orvi {
namespace {

bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

// The address as a download manager must send it: the catalogue keeps the
// bytes a page gave, which may be Windows-1252 or UTF-8; encoded as a request
// line carries them, they reach the server unchanged whatever the tool does
// with text.
std::string PortableUrl(std::string_view url) { return EncodeRequestTarget(url); }

// One CSV field (RFC 4180): quoted when it holds a comma, a quote, CR or LF.
void AppendCsvField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendCsvRow(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) out += ',';
    first = false;
    AppendCsvField(out, field);
  }
  out += "\r\n";
}

// A date the server never gave is an empty cell, which a spreadsheet sorts
// and filters as missing, not as the text the results list shows for it.
std::string CsvDate(const FoundFile& f) {
  const std::string date = f.Date();
  return date == kUnknownDate ? std::string() : Cp1252ToPrintableUtf8(date);
}

void ExportEntry(const FoundEntry& entry, ExportFormat format, std::string& out) {
  const std::string key = Cp1252ToUtf8(entry.key);
  for (const FoundFile* group : GroupsOf(entry)) {
    if (format == ExportFormat::Csv) {
      // Page-borne text with its control bytes shown, so that no cell drives
      // a terminal or splits a record.
      const std::string shownKey = Cp1252ToPrintableUtf8(entry.key);
      const std::string type = Cp1252ToPrintableUtf8(EntryTypeText(entry));
      for (const FoundFile* f : CopiesOf(group)) {
        AppendCsvRow(out, {shownKey, type, Cp1252ToPrintableUtf8(f->name), PortableUrl(f->url),
                           PortableUrl(f->page), FileStateName(f->State()), FormatInt(f->size),
                           CsvDate(*f)});
      }
      continue;
    }
    std::string mirrors;
    for (const FoundFile* f : CopiesOf(group)) {
      if (f->State() != FileState::Valid) continue;
      if (format == ExportFormat::List) {
        out += PortableUrl(f->url) + "\n";
      } else {
        if (!mirrors.empty()) mirrors += '\t';
        mirrors += PortableUrl(f->url);
      }
    }
    if (format == ExportFormat::Aria2 && !mirrors.empty()) {
      out += mirrors + "\n";
      out.append(" out=").append(SafePathPart(Cp1252ToUtf8(group->name))).append("\n");
      out.append(" dir=").append(SafePathPart(key)).append("\n");
    }
  }
}

}  // namespace

std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
  if (name == "list") return ExportFormat::List;
  if (name == "aria2") return ExportFormat::Aria2;
  if (name == "csv") return ExportFormat::Csv;
  return std::nullopt;
}

std::string SafePathPart(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const bool unsafe = c == '/' || c == '\\' || IsControl(static_cast<unsigned char>(c));
    out += unsafe ? '_' : c;
  }
  for (size_t dots = out.find(".."); dots != std::string::npos; dots = out.find("..", dots)) {
    out.replace(dots, 2, "__");
  }
  // One char, not "_": GCC 12 at -O3 misreads a literal inserted at 0 as overlapping.
  if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
  return out;
}

std::string ExportLinks(Context& ctx, const ViewToggles& toggles, const KeyFilter& filter,
                        ExportFormat format) {
  std::string out;
  if (format == ExportFormat::Csv) {
    AppendCsvRow(out, {"key", "type", "name", "url", "page", "state", "size", "date"});
  }
  std::lock_guard lock(ctx.CatalogueLock);
  for (const auto& entry : ctx.catalogue.entries) {
    if (entry && EntryListed(*entry, toggles, filter)) ExportEntry(*entry, format, out);
  }
  return out;
}

}  // namespace orvi
