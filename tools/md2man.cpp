// Turns pages of docs/ into manual pages, so the installed pages say what
// the documentation says:
//
//   md2man OUT.3 NAME VERSION SEE_ALSO PAGE.md [MORE.md...]
//
// SEE_ALSO lists the pages to refer to, separated by commas ("plume(3)").
// The pages' Markdown is the plain kind docs/ is written in: headings,
// paragraphs, "- " lists, fenced and indented code, tables, `code`,
// **bold**, links and pictures. The first heading gives the description of
// the NAME line; the routines of the page's call tables are named there
// too, so apropos finds them.
// Links to other pages become references to their manual pages; pictures
// are left out.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> read_lines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    // An ellipsis, which not every output device has, as three points.
    for (auto at = line.find("\xE2\x80\xA6"); at != std::string::npos; at = line.find("\xE2\x80\xA6", at)) {
      line.replace(at, 3, "...");
    }
    lines.push_back(line);
  }
  return lines;
}

bool starts_with(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string trim(std::string_view s) {
  const auto begin = s.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return "";
  const auto end = s.find_last_not_of(" \t");
  return std::string(s.substr(begin, end - begin + 1));
}

// Characters roff would read as its own: the escape character, and "." or
// "'" at the start of an output line (guarded where lines start). In code a
// "-" is a minus sign; in prose it stays a hyphen, where a line may break.
std::string escape(std::string_view text, bool code = true) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && code) {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

// Code in a line of text: a blank that starts the code or follows another
// blank is part of it (a field of digits keeps its width), so it neither
// stretches nor breaks.
std::string code_span(std::string_view code) {
  std::string out;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] == ' ' && (i == 0 || code[i - 1] == ' ' || (i + 1 < code.size() && code[i + 1] == ' '))) {
      out += "\\ ";
    } else {
      out += escape(code.substr(i, 1));
    }
  }
  return out;
}

// A cell's text as it is shown, near enough to measure it: without the
// marks of code and bold, with the blanks that cannot break (see
// code_span) as other characters.
std::string as_shown(std::string_view text) {
  std::string out;
  bool in_code = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '`') {
      in_code = !in_code;
    } else if (c == '*' && !in_code && i + 1 < text.size() && text[i + 1] == '*') {
      ++i;
    } else if (c == ' ' && in_code &&
               ((i > 0 && (text[i - 1] == '`' || text[i - 1] == ' ')) || (i + 1 < text.size() && text[i + 1] == ' '))) {
      out += '_';
    } else {
      out += c;
    }
  }
  return out;
}

// Characters, not bytes, of UTF-8 text.
std::size_t shown_length(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// The manual page a link to another page of docs/ stands for.
std::string manual_page_of(std::string_view target) {
  std::string page(target.substr(0, target.find('#')));
  const auto slash = page.find_last_of('/');
  if (slash != std::string::npos) page = page.substr(slash + 1);
  if (page.size() < 4 || page.substr(page.size() - 3) != ".md") return "";
  page = page.substr(0, page.size() - 3);
  if (page == "README" || page == "linking") return "plume(3)";
  if (page == "traceplot" || page == "plume-section") return page + "(1)";
  return "plume-" + page + "(3)";
}

// Inline Markdown: `code` in bold, **bold**, [text](target), ![picture](…).
std::string inline_roff(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && std::ispunct(static_cast<unsigned char>(text[i + 1]))) {
      out += escape(text.substr(i + 1, 1), false);  // a Markdown escape: the character itself
      i += 2;
      continue;
    }
    if (c == '`') {
      const auto end = text.find('`', i + 1);
      if (end != std::string_view::npos) {
        out += "\\fB" + code_span(text.substr(i + 1, end - i - 1)) + "\\fR";
        i = end + 1;
        continue;
      }
    } else if (starts_with(text.substr(i), "**")) {
      const auto end = text.find("**", i + 2);
      if (end != std::string_view::npos) {
        out += "\\fB" + inline_roff(text.substr(i + 2, end - i - 2)) + "\\fR";
        i = end + 2;
        continue;
      }
    } else if (starts_with(text.substr(i), "[![")) {  // a picture that links somewhere: left out
      const auto inner = text.find("](", i);
      const auto inner_end = inner == std::string_view::npos ? inner : text.find(')', inner);
      const auto outer = inner_end == std::string_view::npos ? inner_end : text.find("](", inner_end);
      const auto end = outer == std::string_view::npos ? outer : text.find(')', outer);
      if (end != std::string_view::npos) {
        i = end + 1;
        continue;
      }
    } else if (c == '[' || starts_with(text.substr(i), "![")) {
      const bool picture = c == '!';
      const std::size_t open = i + (picture ? 1 : 0);
      const auto close = text.find("](", open);
      const auto end = close == std::string_view::npos ? close : text.find(')', close);
      if (end != std::string_view::npos) {
        if (!picture) {
          out += inline_roff(text.substr(open + 1, close - open - 1));
          const std::string page = manual_page_of(text.substr(close + 2, end - close - 2));
          if (!page.empty()) out += " (" + escape(page) + ")";
        }
        i = end + 1;
        continue;
      }
    }
    out += escape(text.substr(i, 1), false);
    ++i;
  }
  return out;
}

// A text line of roff output: a leading "." or "'" would be a request.
std::string text_line(const std::string& roff) {
  if (!roff.empty() && (roff[0] == '.' || roff[0] == '\'')) return "\\&" + roff;
  return roff;
}

std::vector<std::string> table_cells(std::string_view row) {
  std::vector<std::string> cells;
  std::string_view inner = row.substr(1);
  if (!inner.empty() && inner.back() == '|') inner.remove_suffix(1);
  std::string cell;
  bool in_code = false;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    if (c == '\\' && i + 1 < inner.size() && inner[i + 1] == '|') {  // "\|": a bar within a cell
      cell += '|';
      ++i;
      continue;
    }
    if (c == '`') in_code = !in_code;
    if (c == '|' && !in_code) {
      cells.push_back(trim(cell));
      cell.clear();
    } else {
      cell += c;
    }
  }
  cells.push_back(trim(cell));
  return cells;
}

bool is_separator_row(const std::string& line) { return line.find_first_not_of("|-: ") == std::string::npos; }

class Converter {
 public:
  explicit Converter(std::ostream& out) : out_(out) {}

  void convert(const std::vector<std::string>& lines) {
    std::size_t i = 0;
    while (i < lines.size()) {
      const std::string& line = lines[i];
      if (trim(line).empty()) {
        ++i;
      } else if (starts_with(line, "```")) {
        i = code_block(lines, i);
      } else if (starts_with(line, "    ")) {
        i = indented_code(lines, i);
      } else if (starts_with(line, "#")) {
        heading(line);
        ++i;
      } else if (starts_with(line, "|")) {
        i = table(lines, i);
      } else if (starts_with(line, "- ")) {
        i = list_item(lines, i);
      } else {
        i = paragraph(lines, i);
      }
    }
  }

 private:
  void heading(const std::string& line) {
    const auto level = line.find_first_not_of('#');
    const std::string title = trim(std::string_view(line).substr(level));
    if (level == 1) return;  // the page title went into the NAME line
    out_ << (level == 2 ? ".SS " : ".PP\n.B ") << '"' << inline_roff(title) << "\"\n";
  }

  std::size_t paragraph(const std::vector<std::string>& lines, std::size_t i) {
    out_ << ".PP\n";
    // A paragraph that is only a picture leaves nothing behind.
    // Inline markup may wrap across lines: the paragraph is converted whole.
    std::string text;
    while (i < lines.size() && !trim(lines[i]).empty() && !starts_with(lines[i], "#") &&
           !starts_with(lines[i], "|") && !starts_with(lines[i], "```") && !starts_with(lines[i], "- ")) {
      if (!text.empty()) text += ' ';
      text += trim(lines[i]);
      ++i;
    }
    const std::string roff = inline_roff(text);
    if (!roff.empty()) out_ << text_line(roff) << "\n";
    return i;
  }

  std::size_t list_item(const std::vector<std::string>& lines, std::size_t i) {
    std::string text = trim(lines[i].substr(2));
    for (++i; i < lines.size() && starts_with(lines[i], "  ") && !trim(lines[i]).empty(); ++i) {
      text += ' ';
      text += trim(lines[i]);
    }
    out_ << ".IP \\(bu 2\n" << text_line(inline_roff(text)) << "\n";
    out_ << ".PP\n";
    return i;
  }

  void code_line(const std::string& line) { out_ << text_line(escape(line)) << "\n"; }

  std::size_t code_block(const std::vector<std::string>& lines, std::size_t i) {
    out_ << ".PP\n.RS 4\n.nf\n";
    for (++i; i < lines.size() && !starts_with(lines[i], "```"); ++i) code_line(lines[i]);
    out_ << ".fi\n.RE\n";
    return i + 1;
  }

  std::size_t indented_code(const std::vector<std::string>& lines, std::size_t i) {
    out_ << ".PP\n.RS 4\n.nf\n";
    for (; i < lines.size() && (starts_with(lines[i], "    ") || trim(lines[i]).empty()); ++i) {
      if (trim(lines[i]).empty()) {
        if (i + 1 < lines.size() && starts_with(lines[i + 1], "    ")) out_ << "\n";
        continue;
      }
      code_line(lines[i].substr(4));
    }
    out_ << ".fi\n.RE\n";
    return i;
  }

  // Every cell is a text block, so tbl fits the table to the line.
  std::size_t table(const std::vector<std::string>& lines, std::size_t i) {
    std::vector<std::vector<std::string>> rows;
    for (; i < lines.size() && starts_with(lines[i], "|"); ++i) {
      if (!is_separator_row(lines[i])) rows.push_back(table_cells(lines[i]));
    }
    std::size_t columns = 0;
    for (const auto& row : rows) columns = std::max(columns, row.size());
    if (columns == 2) {
      two_column_table(rows);
      return i;
    }
    // Wide tables hold short values: only their first column is a text
    // block, of a fixed width, so the whole stays within the line.
    const bool wide = columns >= 6;
    const std::vector<std::size_t> widths = column_widths(rows, columns);
    const auto is_block = [&](std::size_t c) { return !wide || c == 0; };
    out_ << ".PP\n.TS\nallbox tab(\t);\n";
    for (const char* style : {"lb", "l"}) {
      for (std::size_t c = 0; c < columns; ++c) {
        std::string width;
        if (wide && c == 0) {
          width = "w(14n)";
        } else if (!wide) {
          width = "w(" + std::to_string(widths[c]) + "n)";
        }
        out_ << (c > 0 ? " " : "") << style << width << (wide && c + 1 < columns ? "1" : "");
      }
      out_ << (style[1] == 'b' ? "\n" : ".\n");
    }
    for (const auto& row : rows) {
      for (std::size_t c = 0; c < columns; ++c) {
        const std::string cell = text_line(c < row.size() ? inline_roff(row[c]) : "");
        out_ << (c > 0 ? "\t" : "") << (is_block(c) ? "T{\n" + cell + "\nT}" : cell);
      }
      out_ << "\n";
    }
    out_ << ".TE\n";
    return i;
  }

  // Text blocks share 66 ens of the line (man pages are 71 ens wide past
  // their indent at 80 columns; tbl adds 3 ens between columns and the
  // borders), each column by the length of its longest cell.
  static std::vector<std::size_t> column_widths(const std::vector<std::vector<std::string>>& rows,
                                                std::size_t columns) {
    std::vector<std::size_t> natural(columns, 1);
    std::vector<std::size_t> longest_word(columns, 1);
    for (const auto& row : rows) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        std::string text = as_shown(row[c]);
        natural[c] = std::max(natural[c], std::min<std::size_t>(shown_length(text), 40));
        // A line may break at a blank or after a hyphen.
        for (char& ch : text) {
          if (ch == '-') ch = ' ';
        }
        std::istringstream words(text);
        for (std::string word; words >> word;) longest_word[c] = std::max(longest_word[c], shown_length(word) + 1);
      }
    }
    // Each column gets its longest word; what room is left goes to the
    // columns by how much longer their longest cell is.
    const std::size_t room = 66 - 3 * (columns - 1);
    std::size_t needed = 0;
    std::size_t wanted = 0;
    for (std::size_t c = 0; c < columns; ++c) {
      natural[c] = std::max(natural[c], longest_word[c]);
      needed += longest_word[c];
      wanted += natural[c] - longest_word[c];
    }
    const std::size_t spare = room > needed ? room - needed : 0;
    std::vector<std::size_t> widths;
    for (std::size_t c = 0; c < columns; ++c) {
      const std::size_t extra = natural[c] - longest_word[c];
      widths.push_back(longest_word[c] + (wanted == 0 ? 0 : std::min(extra, spare * extra / wanted)));
    }
    return widths;
  }

  // "| face | call |", "| argument | meaning |": the tagged paragraphs of
  // manual pages, under the table's head.
  void two_column_table(const std::vector<std::vector<std::string>>& rows) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const std::string tag = inline_roff(rows[r][0]);
      const std::string text = rows[r].size() > 1 ? inline_roff(rows[r][1]) : "";
      if (r == 0) {
        out_ << ".PP\n" << text_line("\\fI" + tag + "\\fR: \\fI" + text + "\\fR") << "\n";
        continue;
      }
      out_ << ".TP\n" << text_line(tag) << "\n" << text_line(text) << "\n";
    }
    out_ << ".PP\n";
  }

  std::ostream& out_;
};

// The routines a page documents: those of its call tables, by their C++
// names ("| C++ | `void plume::pen(int pen_number, int tone)`, ... |").
std::vector<std::string> routines_of(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  for (const auto& line : lines) {
    if (!starts_with(line, "| C++ |")) continue;
    for (auto at = line.find("plume::"); at != std::string::npos; at = line.find("plume::", at + 1)) {
      const auto begin = at + 7;
      auto end = begin;
      while (end < line.size() && (std::islower(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
      if (end == begin || end == line.size() || line[end] != '(') continue;
      const std::string name = line.substr(begin, end - begin);
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fputs("usage: md2man OUT.3 NAME VERSION SEE_ALSO PAGE.md [MORE.md...]\n", stderr);
    return 2;
  }
  try {
    const std::string out_path = argv[1], name = argv[2], version = argv[3], see_also = argv[4];
    std::vector<std::vector<std::string>> pages;
    for (int a = 5; a < argc; ++a) pages.push_back(read_lines(argv[a]));

    std::ostringstream body;
    Converter converter(body);
    std::string title;
    std::vector<std::string> names = {name};
    for (const auto& page : pages) {
      if (title.empty() && !page.empty() && starts_with(page[0], "# ")) title = trim(page[0].substr(2));
      for (const auto& routine : routines_of(page)) names.push_back(routine);
      converter.convert(page);
    }

    std::ofstream out(out_path);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out << "'\\\" t\n";
    out << ".\\\" Generated from docs/ by tools/md2man.cpp: edit the Markdown pages.\n";
    out << ".TH " << escape(upper) << " 3 \"\" \"Plume " << version << "\" \"Plume Library Functions\"\n";
    // Ragged right: the tables' narrow columns cannot be filled evenly.
    out << ".ad l\n";
    out << ".SH NAME\n";
    std::string joined;
    for (const auto& n : names) joined += (joined.empty() ? "" : ", ") + escape(n);
    out << joined << " \\- " << inline_roff(title) << "\n";
    out << ".SH DESCRIPTION\n" << body.str();
    out << ".SH SEE ALSO\n";
    std::istringstream references(see_also);
    std::string listed;
    for (std::string page; std::getline(references, page, ',');) {
      const auto open = page.find('(');
      if (open == std::string::npos) continue;
      if (!listed.empty()) out << listed << " ,\n";
      listed = ".BR " + escape(page.substr(0, open)) + " " + page.substr(open);
    }
    out << listed << "\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + out_path);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "md2man: %s\n", e.what());
    return 1;
  }
}
