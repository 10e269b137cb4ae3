#include "cairo/interpreter.hpp"

#include <algorithm>
#include <charconv>
#include <limits>
#include <cmath>
#include <numbers>

namespace plume::render {
namespace {

enum Op {
  kDef, kFindfont, kScalefont, kSetfont, kExch, kPop, kDup, kMoveto, kLineto, kRmoveto, kRlineto,
  kClosepath, kNewpath, kStroke, kFill, kEofill, kClip, kEoclip, kArc, kArcn, kRectstroke, kRectfill,
  kGsave, kGrestore, kTranslate, kRotate, kScale, kSetlinewidth, kSetlinejoin, kSetlinecap,
  kSetmiterlimit, kSetrgbcolor, kSetgray, kSetdash, kShow, kShowpage, kInitgraphics,
  kLength, kDict, kBegin, kEnd, kCurrentdict, kForall, kDefinefont, kIsoLatin1Encoding,
};

const std::unordered_map<std::string_view, int>& operators() {
  static const std::unordered_map<std::string_view, int> table = {
      {"def", kDef}, {"findfont", kFindfont}, {"scalefont", kScalefont}, {"setfont", kSetfont},
      {"exch", kExch}, {"pop", kPop}, {"dup", kDup}, {"moveto", kMoveto}, {"lineto", kLineto},
      {"rmoveto", kRmoveto}, {"rlineto", kRlineto}, {"closepath", kClosepath}, {"newpath", kNewpath},
      {"stroke", kStroke}, {"fill", kFill}, {"eofill", kEofill}, {"clip", kClip}, {"eoclip", kEoclip},
      {"arc", kArc}, {"arcn", kArcn}, {"rectstroke", kRectstroke}, {"rectfill", kRectfill},
      {"gsave", kGsave}, {"grestore", kGrestore}, {"translate", kTranslate}, {"rotate", kRotate},
      {"scale", kScale}, {"setlinewidth", kSetlinewidth}, {"setlinejoin", kSetlinejoin},
      {"setlinecap", kSetlinecap}, {"setmiterlimit", kSetmiterlimit}, {"setrgbcolor", kSetrgbcolor},
      {"setgray", kSetgray}, {"setdash", kSetdash}, {"show", kShow}, {"showpage", kShowpage},
      {"initgraphics", kInitgraphics},
      // Enough of dictionaries for a font copied with another encoding.
      {"length", kLength}, {"dict", kDict}, {"begin", kBegin}, {"end", kEnd}, {"currentdict", kCurrentdict},
      {"forall", kForall}, {"definefont", kDefinefont}, {"ISOLatin1Encoding", kIsoLatin1Encoding},
  };
  return table;
}

// Deep enough for the prologue's procedures calling each other; a
// procedure that calls itself stops here instead of exhausting the stack.
constexpr int kMaxCallDepth = 32;
// An operand stack that only grows (operands no operator takes) is cut.
constexpr std::size_t kMaxStack = 256;

bool is_delimiter(char c) {
  switch (c) {
    case ' ': case '\t': case '\r': case '\n': case '\f': case '\0':
    case '(': case ')': case '<': case '>': case '[': case ']': case '{': case '}': case '/': case '%':
      return true;
    default:
      return false;
  }
}

bool parse_number(std::string_view text, double& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, out);
  return error == std::errc{} && end == last && std::isfinite(out);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A string literal after its "(": escapes as PostScript reads them. A
// string still open at the end of the line ends there.
std::string read_string(std::string_view line, std::size_t& i) {
  std::string out;
  int depth = 1;
  while (i < line.size()) {
    const char c = line[i++];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) break;
    } else if (c == '\\' && i < line.size()) {
      const char e = line[i++];
      switch (e) {
        case 'n': out += '\n'; continue;
        case 'r': out += '\r'; continue;
        case 't': out += '\t'; continue;
        case 'b': out += '\b'; continue;
        case 'f': out += '\f'; continue;
        default: break;
      }
      if (e >= '0' && e <= '7') {
        int v = e - '0';
        for (int k = 0; k < 2 && i < line.size() && line[i] >= '0' && line[i] <= '7'; ++k) {
          v = v * 8 + (line[i++] - '0');
        }
        out += static_cast<char>(v & 0xFF);
        continue;
      }
      out += e;
      continue;
    }
    out += c;
  }
  return out;
}

std::string read_hex_string(std::string_view line, std::size_t& i) {
  std::string out;
  int high = -1;
  while (i < line.size() && line[i] != '>') {
    const int d = hex_digit(line[i++]);
    if (d < 0) continue;
    if (high < 0) {
      high = d;
    } else {
      out += static_cast<char>(high * 16 + d);
      high = -1;
    }
  }
  if (i < line.size()) ++i;
  if (high >= 0) out += static_cast<char>(high * 16);
  return out;
}

void set_matrix(cairo_t* cr, const Matrix& m) {
  const cairo_matrix_t c{m.a, m.b, m.c, m.d, m.e, m.f};
  cairo_set_matrix(cr, &c);
}

bool invertible(const Matrix& m) {
  const double det = m.a * m.d - m.b * m.c;
  return std::isfinite(det) && std::abs(det) > 1e-12 && std::isfinite(m.e) && std::isfinite(m.f);
}

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

struct PathDeleter {
  void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};
using PathCopy = std::shared_ptr<cairo_path_t>;

}  // namespace

// A dictionary is read as a font being made: the font it copies and the
// encoding it gets.
struct Interpreter::Value {
  enum class Kind { number, name, string, array, procedure, font, mark, dict };
  Kind kind = Kind::number;
  double number = 0;
  std::string text;
  std::vector<double> array;
  std::shared_ptr<const Procedure> procedure;
  Font font;
  double font_size = 1;
};

// One clipping path, in sheet points, and the clip it narrows.
struct Interpreter::ClipNode {
  std::shared_ptr<const ClipNode> parent;
  PathCopy path;
};

struct Interpreter::State {
  Matrix ctm;
  double line_width = 1;
  int join = 0, cap = 0;
  double miter = 10;
  double red = 0, green = 0, blue = 0;
  std::vector<double> dash;
  double dash_offset = 0;
  Font font;
  double font_size = 0;
  bool has_font = false;
  Box clip = Box::everything();
  std::shared_ptr<const ClipNode> clip_node;
  // The current path: the extent of its segments (device space), its
  // current point and the start of its last subpath.
  Box path_box;
  Box path_points;  // every point, moves included, for clipping
  bool has_point = false;
  Point point, subpath_start;
  // The joins of the path, for the extent of its stroke: the direction
  // (device space, unit length) of the subpath's first and last segments,
  // and how far, in half line widths, the farthest miter reaches.
  bool has_direction = false;
  Point first_direction, last_direction;
  double miter_reach = 1;
  PathCopy saved_path;  // drawing mode: the path as gsave found it
};

Interpreter::Interpreter(Fonts& fonts, PageSink& pages, Canvas first, double thinnest)
    : fonts_(fonts), pages_(pages), canvas_(first), thinnest_(thinnest),
      // A hundredth of a millimetre (a dot at 2400 dpi), or a quarter of
      // the thinnest line where that is finer: nothing a viewer, printer or
      // raster shows.
      simplify_(std::min(0.03, thinnest / 4)),
      state_(std::make_unique<State>()),
      scratch_surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)),
      scratch_(cairo_create(scratch_surface_)) {
  // Metrics as the outline gives them, whatever the surface drawn on.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(scratch_, options);
  cairo_font_options_destroy(options);
  sync_matrix();
}

Interpreter::~Interpreter() {
  cairo_destroy(scratch_);
  cairo_surface_destroy(scratch_surface_);
}

void Interpreter::feed(const char* data, std::size_t size) {
  std::string_view rest(data, size);
  if (!carry_.empty()) {
    const auto nl = rest.find('\n');
    if (nl == std::string_view::npos) {
      carry_.append(rest);
      return;
    }
    carry_.append(rest.substr(0, nl));
    run_line(carry_);
    carry_.clear();
    rest.remove_prefix(nl + 1);
  }
  for (auto nl = rest.find('\n'); nl != std::string_view::npos; nl = rest.find('\n')) {
    run_line(rest.substr(0, nl));
    rest.remove_prefix(nl + 1);
  }
  carry_.assign(rest);
}

void Interpreter::finish() {
  if (!carry_.empty()) {
    run_line(carry_);
    carry_.clear();
  }
  if (!page_ink_.empty() || pages_ended_ == 0) showpage();
}

bool Interpreter::run_motion_line(std::string_view line) {
  if (line.size() < 7 || line[line.size() - 3] != ' ' || line[line.size() - 2] != 'p') return false;
  const char op = line.back();
  if (op != 'L' && op != 'Q' && op != 'M') return false;
  const char* p = line.data();
  const char* end = p + line.size() - 3;
  double xy[2];
  for (double& v : xy) {
    while (p < end && *p == ' ') ++p;
    const char* start = p;
    while (p < end && *p != ' ') ++p;
    if (!parse_number(std::string_view(start, static_cast<std::size_t>(p - start)), v)) return false;
  }
  if (p != end) return false;
  if (op == 'L') {
    lineto({xy[0], xy[1]});
  } else {
    if (op == 'M') {
      stroke();  // stroke clears the path as newpath would
    }
    moveto({xy[0], xy[1]});
  }
  return true;
}

void Interpreter::check_motion_procedures() {
  const auto is = [this](const char* name, std::initializer_list<std::string_view> body) {
    const auto it = user_.find(name);
    if (it == user_.end() || it->second.kind != Value::Kind::procedure) return false;
    const Procedure& proc = *it->second.procedure;
    if (proc.size() != body.size()) return false;
    std::size_t k = 0;
    for (const auto word : body) {
      if (proc[k].kind != Token::Kind::name || proc[k].text != word) return false;
      ++k;
    }
    return true;
  };
  standard_motions_ = is("pM", {"stroke", "newpath", "moveto"}) && is("pL", {"lineto"}) && is("pQ", {"moveto"});
  for (const char* op : {"stroke", "newpath", "moveto", "lineto"}) {
    standard_motions_ = standard_motions_ && user_.find(op) == user_.end();
  }
}

void Interpreter::run_line(std::string_view line) {
  if (standard_motions_ && collecting_.empty() && run_motion_line(line)) return;
  std::size_t i = 0;
  Token token;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\0') {
      ++i;
      continue;
    }
    if (c == '%') return;
    ++i;
    switch (c) {
      case '(':
        token.kind = Token::Kind::string;
        token.text = read_string(line, i);
        break;
      case '<':
        token.kind = Token::Kind::string;
        token.text = read_hex_string(line, i);
        break;
      case '{': token.kind = Token::Kind::proc_begin; break;
      case '}': token.kind = Token::Kind::proc_end; break;
      case '[': token.kind = Token::Kind::array_begin; break;
      case ']': token.kind = Token::Kind::array_end; break;
      case ')': case '>': continue;  // stray closers
      default: {
        const bool literal = c == '/';
        const std::size_t start = literal ? i : i - 1;
        while (i < line.size() && !is_delimiter(line[i])) ++i;
        const std::string_view word = line.substr(start, i - start);
        if (!literal && parse_number(word, token.number)) {
          token.kind = Token::Kind::number;
        } else {
          token.kind = literal ? Token::Kind::literal : Token::Kind::name;
          token.text.assign(word);
        }
      }
    }
    process(token);
  }
}

void Interpreter::process(const Token& token) {
  using K = Token::Kind;
  if (!collecting_.empty()) {
    if (token.kind == K::proc_end) {
      auto done = std::make_shared<const Procedure>(std::move(collecting_.back()));
      collecting_.pop_back();
      if (collecting_.empty()) {
        Value v;
        v.kind = Value::Kind::procedure;
        v.procedure = std::move(done);
        push(std::move(v));
      } else {
        // A nested procedure stays as tokens inside its parent.
        auto& parent = collecting_.back();
        parent.push_back(Token{K::proc_begin, 0, {}});
        parent.insert(parent.end(), done->begin(), done->end());
        parent.push_back(Token{K::proc_end, 0, {}});
      }
      return;
    }
    if (token.kind == K::proc_begin) {
      collecting_.emplace_back();
      return;
    }
    collecting_.back().push_back(token);
    return;
  }
  Value v;
  switch (token.kind) {
    case K::number:
      v.number = token.number;
      push(std::move(v));
      return;
    case K::literal:
      v.kind = Value::Kind::name;
      v.text = token.text;
      push(std::move(v));
      return;
    case K::string:
      v.kind = Value::Kind::string;
      v.text = token.text;
      push(std::move(v));
      return;
    case K::array_begin:
      v.kind = Value::Kind::mark;
      push(std::move(v));
      return;
    case K::array_end: {
      Value array;
      array.kind = Value::Kind::array;
      auto mark = std::find_if(stack_.rbegin(), stack_.rend(),
                               [](const Value& e) { return e.kind == Value::Kind::mark; });
      if (mark == stack_.rend()) return;
      const auto first = mark.base();  // just after the mark
      for (auto it = first; it != stack_.end(); ++it) {
        if (it->kind == Value::Kind::number) array.array.push_back(it->number);
      }
      stack_.erase(first - 1, stack_.end());
      push(std::move(array));
      return;
    }
    case K::proc_begin:
      collecting_.emplace_back();
      return;
    case K::proc_end:
      return;
    case K::name:
      execute(token.text);
      return;
  }
}

void Interpreter::execute(const std::string& name) {
  if (auto it = user_.find(name); it != user_.end()) {
    if (it->second.kind == Value::Kind::procedure) {
      const auto procedure = it->second.procedure;  // survives a redefinition while it runs
      call(*procedure);
    } else {
      push(it->second);
    }
    return;
  }
  const auto& ops = operators();
  if (auto it = ops.find(name); it != ops.end()) operate(it->second);
}

void Interpreter::call(const Procedure& procedure) {
  if (call_depth_ >= kMaxCallDepth) return;
  ++call_depth_;
  for (const auto& token : procedure) process(token);
  // A procedure body with an unclosed brace does not swallow what follows.
  collecting_.clear();
  --call_depth_;
}

void Interpreter::push(Value v) {
  if (stack_.size() >= kMaxStack) stack_.erase(stack_.begin());
  stack_.push_back(std::move(v));
}

bool Interpreter::pop_number(double& out) {
  if (stack_.empty() || stack_.back().kind != Value::Kind::number) return false;
  out = stack_.back().number;
  stack_.pop_back();
  return true;
}

// Takes `count` numbers only when all are there, so a short operator
// leaves the stack as it was.
bool Interpreter::pop_numbers(double* out, int count) {
  const auto n = static_cast<std::size_t>(count);
  if (stack_.size() < n) return false;
  for (std::size_t k = 0; k < n; ++k) {
    if (stack_[stack_.size() - n + k].kind != Value::Kind::number) return false;
  }
  for (std::size_t k = 0; k < n; ++k) out[k] = stack_[stack_.size() - n + k].number;
  stack_.resize(stack_.size() - n);
  return true;
}

void Interpreter::operate(int op) {
  State& s = *state_;
  double v[6];
  switch (op) {
    case kDef:
      if (!dicts_.empty()) {  // into the font being made, where only its encoding matters
        if (stack_.size() >= 2 && stack_[stack_.size() - 2].kind == Value::Kind::name) {
          if (stack_[stack_.size() - 2].text == "Encoding") {
            dicts_.back().font.encoding =
                stack_.back().text == "ISOLatin1Encoding" ? Encoding::latin1 : Encoding::standard;
          }
          stack_.resize(stack_.size() - 2);
        }
        return;
      }
      if (stack_.size() >= 2 && stack_[stack_.size() - 2].kind == Value::Kind::name) {
        user_[stack_[stack_.size() - 2].text] = std::move(stack_.back());
        stack_.resize(stack_.size() - 2);
        check_motion_procedures();
      }
      return;
    case kLength:
      if (!stack_.empty()) stack_.back() = Value{};  // a number: the size of a dictionary to make
      return;
    case kDict:
      if (!stack_.empty() && stack_.back().kind == Value::Kind::number) {
        stack_.back() = Value{};
        stack_.back().kind = Value::Kind::dict;
      }
      return;
    case kBegin:
      if (!stack_.empty() && stack_.back().kind == Value::Kind::dict && dicts_.size() < 16) {
        dicts_.push_back(std::move(stack_.back()));
        stack_.pop_back();
      }
      return;
    case kEnd:
      if (!dicts_.empty()) dicts_.pop_back();
      return;
    case kCurrentdict:
      if (!dicts_.empty()) push(dicts_.back());
      return;
    case kForall:  // copying a font's entries into the dictionary being made
      if (stack_.size() >= 2 && stack_.back().kind == Value::Kind::procedure &&
          stack_[stack_.size() - 2].kind == Value::Kind::font) {
        if (!dicts_.empty()) dicts_.back().font = stack_[stack_.size() - 2].font;
        stack_.resize(stack_.size() - 2);
      }
      return;
    case kDefinefont:
      if (stack_.size() >= 2 && stack_.back().kind == Value::Kind::dict && stack_.back().font.face != nullptr &&
          stack_[stack_.size() - 2].kind == Value::Kind::name) {
        const Font font = stack_.back().font;
        if (defined_fonts_.size() < 256) defined_fonts_[stack_[stack_.size() - 2].text] = font;
        stack_.resize(stack_.size() - 2);
        Value made;
        made.kind = Value::Kind::font;
        made.font = font;
        push(std::move(made));
      }
      return;
    case kIsoLatin1Encoding: {
      Value encoding;
      encoding.kind = Value::Kind::mark;
      encoding.text = "ISOLatin1Encoding";
      push(std::move(encoding));
      return;
    }
    case kFindfont:
      if (!stack_.empty() && stack_.back().kind == Value::Kind::name) {
        Value& top = stack_.back();
        const auto made = defined_fonts_.find(top.text);
        top.font = made != defined_fonts_.end() ? made->second : fonts_.find(top.text);
        top.kind = Value::Kind::font;
        top.font_size = 1;
      }
      return;
    case kScalefont:
      if (stack_.size() >= 2 && stack_.back().kind == Value::Kind::number &&
          stack_[stack_.size() - 2].kind == Value::Kind::font) {
        const double by = stack_.back().number;
        stack_.pop_back();
        stack_.back().font_size *= by;
      }
      return;
    case kSetfont:
      if (!stack_.empty() && stack_.back().kind == Value::Kind::font) {
        s.font = stack_.back().font;
        s.font_size = stack_.back().font_size;
        s.has_font = true;
        stack_.pop_back();
      }
      return;
    case kExch:
      if (stack_.size() >= 2) std::swap(stack_.back(), stack_[stack_.size() - 2]);
      return;
    case kPop:
      if (!stack_.empty()) stack_.pop_back();
      return;
    case kDup:
      if (!stack_.empty()) push(Value(stack_.back()));
      return;
    case kMoveto: if (pop_numbers(v, 2)) moveto({v[0], v[1]}); return;
    case kLineto: if (pop_numbers(v, 2)) lineto({v[0], v[1]}); return;
    case kRmoveto: if (pop_numbers(v, 2)) rmoveto({v[0], v[1]}); return;
    case kRlineto: if (pop_numbers(v, 2)) rlineto({v[0], v[1]}); return;
    case kClosepath: closepath(); return;
    case kNewpath: newpath(); return;
    case kStroke: stroke(); return;
    case kFill: case kEofill: fill(); return;
    case kClip: case kEoclip: clip(); return;
    case kArc: if (pop_numbers(v, 5)) arc(v[0], v[1], v[2], v[3], v[4], false); return;
    case kArcn: if (pop_numbers(v, 5)) arc(v[0], v[1], v[2], v[3], v[4], true); return;
    case kRectstroke: if (pop_numbers(v, 4)) rectangle(v[0], v[1], v[2], v[3], false); return;
    case kRectfill: if (pop_numbers(v, 4)) rectangle(v[0], v[1], v[2], v[3], true); return;
    case kGsave: gsave(); return;
    case kGrestore: grestore(); return;
    case kTranslate: if (pop_numbers(v, 2)) concat({1, 0, 0, 1, v[0], v[1]}); return;
    case kRotate:
      if (pop_number(v[0])) {
        const double r = std::fmod(v[0], 360.0) * std::numbers::pi / 180.0;
        concat({std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0});
      }
      return;
    case kScale: if (pop_numbers(v, 2)) concat({v[0], 0, 0, v[1], 0, 0}); return;
    case kSetlinewidth: if (pop_number(v[0])) s.line_width = std::abs(v[0]); return;
    case kSetlinejoin: if (pop_number(v[0])) s.join = static_cast<int>(std::clamp(v[0], 0.0, 2.0)); return;
    case kSetlinecap: if (pop_number(v[0])) s.cap = static_cast<int>(std::clamp(v[0], 0.0, 2.0)); return;
    case kSetmiterlimit: if (pop_number(v[0]) && v[0] >= 1) s.miter = v[0]; return;
    case kSetrgbcolor:
      if (pop_numbers(v, 3)) {
        s.red = std::clamp(v[0], 0.0, 1.0);
        s.green = std::clamp(v[1], 0.0, 1.0);
        s.blue = std::clamp(v[2], 0.0, 1.0);
      }
      return;
    case kSetgray:
      if (pop_number(v[0])) s.red = s.green = s.blue = std::clamp(v[0], 0.0, 1.0);
      return;
    case kSetdash:
      if (stack_.size() >= 2 && stack_.back().kind == Value::Kind::number &&
          stack_[stack_.size() - 2].kind == Value::Kind::array) {
        s.dash_offset = stack_.back().number;
        s.dash = std::move(stack_[stack_.size() - 2].array);
        stack_.resize(stack_.size() - 2);
      }
      return;
    case kShow:
      if (!stack_.empty() && stack_.back().kind == Value::Kind::string) {
        const std::string bytes = std::move(stack_.back().text);
        stack_.pop_back();
        show(bytes);
      }
      return;
    case kShowpage: showpage(); return;
    case kInitgraphics: initgraphics(); return;
    default: return;
  }
}

// --- Paths -------------------------------------------------------------

void Interpreter::moveto(Point user) {
  State& s = *state_;
  const Point p = s.ctm.apply(user);
  if (!finite(p)) return;
  s.point = s.subpath_start = p;
  s.has_point = true;
  s.has_direction = false;
  s.path_points.add(p);
  if (canvas_.cr) {
    flush_line();
    cairo_move_to(canvas_.cr, user.x, user.y);
    run_.anchor = p;
  }
}

void Interpreter::lineto(Point user) {
  State& s = *state_;
  if (!s.has_point) return;  // no current point: PostScript refuses the line
  const Point p = s.ctm.apply(user);
  if (!finite(p)) return;
  s.path_box.add(s.point);
  s.path_box.add(p);
  s.path_points.add(p);
  note_segment(s.point, p);
  s.point = p;
  if (canvas_.cr) line_to_cairo(user, p);
}

void Interpreter::rmoveto(Point delta) {
  State& s = *state_;
  if (!s.has_point) return;
  const Point d = s.ctm.apply_linear(delta);
  const Point p{s.point.x + d.x, s.point.y + d.y};
  if (!finite(p)) return;
  s.point = s.subpath_start = p;
  s.has_direction = false;
  s.path_points.add(p);
  if (canvas_.cr) {
    flush_line();
    cairo_rel_move_to(canvas_.cr, delta.x, delta.y);
    run_.anchor = p;
  }
}

void Interpreter::rlineto(Point delta) {
  State& s = *state_;
  if (!s.has_point) return;
  const Point d = s.ctm.apply_linear(delta);
  const Point p{s.point.x + d.x, s.point.y + d.y};
  if (!finite(p)) return;
  s.path_box.add(s.point);
  s.path_box.add(p);
  s.path_points.add(p);
  note_segment(s.point, p);
  s.point = p;
  if (canvas_.cr) {
    flush_line();
    cairo_rel_line_to(canvas_.cr, delta.x, delta.y);
    run_.anchor = p;
  }
}

void Interpreter::arc(double x, double y, double r, double a1, double a2, bool clockwise) {
  State& s = *state_;
  // A negative radius puts each point opposite; turning the angles by a
  // half turn gives the same points with a positive one.
  if (r < 0) {
    r = -r;
    a1 += 180;
    a2 += 180;
  }
  // PostScript turns the end angle by whole turns until it lies on the
  // drawing side of the start; more than two turns look like two.
  double sweep = clockwise ? a1 - a2 : a2 - a1;
  if (!std::isfinite(sweep)) return;
  if (sweep < 0) {
    sweep = std::fmod(sweep, 360.0);
    if (sweep < 0) sweep += 360;
  } else if (sweep > 720) {
    sweep = 360 + std::fmod(sweep, 360.0);
  }
  a1 = std::fmod(a1, 360.0);
  const double start = a1 * std::numbers::pi / 180;
  const double span = sweep * std::numbers::pi / 180;
  const double direction = clockwise ? -1 : 1;
  const auto at = [&](double t) {
    return s.ctm.apply({x + r * std::cos(start + direction * t), y + r * std::sin(start + direction * t)});
  };
  const Point first = at(0);
  if (!finite(first)) return;
  if (s.has_point) {
    s.path_box.add(s.point);
    note_segment(s.point, first);
  } else {
    s.has_direction = false;
  }
  // Points every 1/128 turn: the chords stray from the circle by less than
  // 0.0004 of the radius, far inside the page margin.
  const int steps = std::max(1, static_cast<int>(std::ceil(span / (std::numbers::pi / 64))));
  Point previous = first;
  for (int k = 0; k <= steps; ++k) {
    const Point p = at(span * k / steps);
    s.path_box.add(p);
    s.path_points.add(p);
    note_segment(previous, p);
    previous = p;
  }
  if (!s.has_point) s.subpath_start = first;
  s.point = at(span);
  s.has_point = true;
  if (canvas_.cr) {
    flush_line();
    run_.anchor = s.point;
    const double end = start + direction * span;
    if (clockwise) {
      cairo_arc_negative(canvas_.cr, x, y, r, start, end);
    } else {
      cairo_arc(canvas_.cr, x, y, r, start, end);
    }
  }
}

void Interpreter::closepath() {
  State& s = *state_;
  if (!s.has_point) return;
  s.path_box.add(s.point);
  s.path_box.add(s.subpath_start);
  note_segment(s.point, s.subpath_start);
  if (s.has_direction) note_join(s.last_direction, s.first_direction);  // the subpath closes in a join
  s.point = s.subpath_start;
  s.has_direction = false;
  if (canvas_.cr) {
    flush_line();
    cairo_close_path(canvas_.cr);
    run_.anchor = s.point;
  }
}

void Interpreter::newpath() {
  State& s = *state_;
  s.path_box = Box{};
  s.path_points = Box{};
  s.has_point = false;
  s.has_direction = false;
  s.miter_reach = 1;
  run_.pending = false;
  if (canvas_.cr) cairo_new_path(canvas_.cr);
}

// --- Lines to cairo ----------------------------------------------------

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

// Each point allows the directions from the anchor whose line passes within
// simplify_ of it: an angle of asin(simplify_ / distance) either side, here
// the slightly narrower simplify_ / distance.
void Interpreter::line_to_cairo(Point user, Point device) {
  Run& r = run_;
  const double dx = device.x - r.anchor.x, dy = device.y - r.anchor.y;
  const double distance = std::sqrt(dx * dx + dy * dy);
  if (r.pending && distance > r.end_distance) {
    if (distance <= simplify_) {
      // Still within reach of the anchor: every direction passes near it.
      r.end_user = user;
      r.end = device;
      r.end_distance = distance;
      return;
    }
    const double half = simplify_ / distance;
    if (!r.has_direction) {
      r.has_direction = true;
      r.direction = std::atan2(dy, dx);
      r.low = -half;
      r.high = half;
      r.end_user = user;
      r.end = device;
      r.end_distance = distance;
      return;
    }
    const double relative = std::remainder(std::atan2(dy, dx) - r.direction, 2 * kPi);
    if (relative >= r.low && relative <= r.high && std::abs(relative) + half < kPi / 2) {
      // The waiting point lies within reach of the line to this one.
      r.low = std::max(r.low, relative - half);
      r.high = std::min(r.high, relative + half);
      r.end_user = user;
      r.end = device;
      r.end_distance = distance;
      return;
    }
  }
  flush_line();
  r.pending = true;
  r.end_user = user;
  r.end = device;
  r.end_distance = std::sqrt((device.x - r.anchor.x) * (device.x - r.anchor.x) + (device.y - r.anchor.y) * (device.y - r.anchor.y));
  r.has_direction = r.end_distance > simplify_;
  if (r.has_direction) {
    const double half = simplify_ / r.end_distance;
    r.direction = std::atan2(device.y - r.anchor.y, device.x - r.anchor.x);
    r.low = -half;
    r.high = half;
  }
}

// The waiting point goes to cairo, with the transform it was given under.
void Interpreter::flush_line() {
  Run& r = run_;
  if (!r.pending || canvas_.cr == nullptr) return;
  cairo_line_to(canvas_.cr, r.end_user.x, r.end_user.y);
  r.anchor = r.end;
  r.pending = false;
}

// --- Painting ----------------------------------------------------------

void Interpreter::add_ink(Box box) {
  const Box seen = box.intersected(state_->clip);
  page_ink_.add(seen);
  total_ink_.add(seen);
}

double Interpreter::half_width_device() const {
  const State& s = *state_;
  return std::max(s.line_width * s.ctm.length_scale(), thinnest_) / 2;
}

// How far a stroke's ink lies from its path, in half line widths: its
// miters, and the corners of square caps.
double Interpreter::stroke_reach(double miter_reach) const {
  const State& s = *state_;
  const double joins = s.join == 0 ? miter_reach : 1;
  const double caps = s.cap == 2 ? std::numbers::sqrt2 : 1;
  return std::max(joins, caps);
}

void Interpreter::note_join(Point in, Point out) {
  State& s = *state_;
  if (s.join != 0) return;
  // The miter of two segments meeting at an angle theta reaches
  // 1 / sin(theta / 2) half widths from their common point; past the
  // miter limit the join is bevelled and stays within one.
  const double half_sine = std::sqrt(std::max(0.0, (1 + in.x * out.x + in.y * out.y) / 2));
  const double reach = half_sine > 0 ? 1 / half_sine : std::numeric_limits<double>::infinity();
  if (reach <= s.miter) s.miter_reach = std::max(s.miter_reach, reach);
}

void Interpreter::note_segment(Point from, Point to) {
  State& s = *state_;
  const double length = std::hypot(to.x - from.x, to.y - from.y);
  if (!(length > 0) || !std::isfinite(length)) return;  // a point turns no corner
  const Point direction{(to.x - from.x) / length, (to.y - from.y) / length};
  if (s.has_direction) {
    note_join(s.last_direction, direction);
  } else {
    s.first_direction = direction;
    s.has_direction = true;
  }
  s.last_direction = direction;
}

void Interpreter::stroke() {
  flush_line();
  add_ink(state_->path_box.grown(half_width_device() * stroke_reach(state_->miter_reach)));
  if (canvas_.cr && !state_->path_box.empty()) {
    sync_clip();
    sync_paint();
    cairo_stroke(canvas_.cr);
  }
  newpath();
}

void Interpreter::fill() {
  flush_line();
  add_ink(state_->path_box);
  if (canvas_.cr && !state_->path_box.empty()) {
    sync_clip();
    sync_paint();
    cairo_fill(canvas_.cr);
  }
  newpath();
}

void Interpreter::clip() {
  State& s = *state_;
  flush_line();
  s.clip = s.clip.intersected(s.path_points);
  if (!canvas_.cr) return;
  sync_clip();
  auto node = std::make_shared<ClipNode>();
  node->parent = s.clip_node;
  set_matrix(canvas_.cr, canvas_.page);
  node->path = PathCopy(cairo_copy_path(canvas_.cr), PathDeleter{});
  sync_matrix();
  cairo_clip_preserve(canvas_.cr);
  s.clip_node = std::move(node);
  applied_clip_ = s.clip_node.get();
}

void Interpreter::rectangle(double x, double y, double w, double h, bool filled) {
  State& s = *state_;
  flush_line();
  // Ghostscript traces every rectangle counter-clockwise: with sides of
  // opposite signs it starts at the corner across the width, and so do the
  // dashes of its outline.
  if ((w >= 0) != (h >= 0)) {
    x += w;
    w = -w;
  }
  Box box;
  for (const Point corner : {Point{x, y}, Point{x + w, y}, Point{x, y + h}, Point{x + w, y + h}}) {
    box.add(s.ctm.apply(corner));
  }
  add_ink(filled ? box : box.grown(half_width_device() * stroke_reach(std::numbers::sqrt2)));
  if (!canvas_.cr || box.empty()) return;
  // The rectangle operators leave the current path alone.
  cairo_t* cr = canvas_.cr;
  PathCopy kept;
  if (s.has_point) kept = PathCopy(cairo_copy_path(cr), PathDeleter{});
  cairo_new_path(cr);
  if (filled) {
    cairo_rectangle(cr, x, y, w, h);
  } else {
    // cairo writes a path that is one rectangle to PDF and SVG as a box of
    // its own, whose dashes start at another corner and go the other way
    // round. The first side bent inward by a 64th of a device unit at its
    // middle (a bend no output shows) keeps the outline a path, starting
    // where PostScript starts it.
    const double bend = 1.0 / 64 / canvas_.page.after(s.ctm).length_scale();
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + w / 2, y + std::copysign(bend, h));
    cairo_line_to(cr, x + w, y);
    cairo_line_to(cr, x + w, y + h);
    cairo_line_to(cr, x, y + h);
    cairo_close_path(cr);
  }
  sync_clip();
  sync_paint();
  if (filled) {
    cairo_fill(cr);
  } else {
    cairo_stroke(cr);
  }
  if (kept) cairo_append_path(cr, kept.get());
}

namespace {

// FreeType refuses glyphs beyond about 65,000 pixels a side, and cairo then
// keeps the error for the rest of the context's life. Text larger than this
// is measured at this size and scaled, and drawn as outlines.
constexpr double kLargestGlyphPixels = 16384;

cairo_matrix_t glyph_matrix(double size) { return {size, 0, 0, -size, 0, 0}; }  // glyph y points down in cairo

// The size of `size` point glyphs in the pixels of a context with `matrix`.
double glyph_pixels(double size, const Matrix& matrix) {
  return size * std::max(std::hypot(matrix.a, matrix.b), std::hypot(matrix.c, matrix.d));
}

}  // namespace

void Interpreter::show(const std::string& bytes) {
  State& s = *state_;
  flush_line();
  if (!s.has_point || !s.has_font || !(s.font_size > 1e-6 && s.font_size < 1e6)) return;
  const std::string text = fonts_.to_utf8(bytes, s.font.encoding);
  if (text.empty()) return;
  const double measured_size = std::min(s.font_size, kLargestGlyphPixels);
  const double grow = s.font_size / measured_size;
  const cairo_matrix_t font_matrix = glyph_matrix(measured_size);
  cairo_set_font_face(scratch_, s.font.face);
  cairo_set_font_matrix(scratch_, &font_matrix);
  cairo_text_extents_t e;
  cairo_text_extents(scratch_, text.c_str(), &e);
  for (double* v : {&e.x_bearing, &e.y_bearing, &e.width, &e.height, &e.x_advance, &e.y_advance}) *v *= grow;
  Box ink;
  if (e.width > 0 && e.height > 0) {
    for (const Point corner : {Point{e.x_bearing, e.y_bearing}, Point{e.x_bearing + e.width, e.y_bearing},
                               Point{e.x_bearing, e.y_bearing + e.height},
                               Point{e.x_bearing + e.width, e.y_bearing + e.height}}) {
      const Point d = s.ctm.apply_linear(corner);
      ink.add(Point{s.point.x + d.x, s.point.y + d.y});
    }
  }
  add_ink(ink);
  if (canvas_.cr) draw_text(text, {e.x_advance, e.y_advance});
  const Point advance = s.ctm.apply_linear({e.x_advance, e.y_advance});
  s.point = {s.point.x + advance.x, s.point.y + advance.y};
}

void Interpreter::draw_text(const std::string& text, Point advance) {
  const State& s = *state_;
  cairo_t* cr = canvas_.cr;
  sync_clip();
  sync_paint();
  if (glyph_pixels(s.font_size, canvas_.page.after(s.ctm)) <= kLargestGlyphPixels) {
    const cairo_matrix_t font_matrix = glyph_matrix(s.font_size);
    cairo_set_font_face(cr, s.font.face);
    cairo_set_font_matrix(cr, &font_matrix);
    cairo_show_text(cr, text.c_str());
    return;
  }
  // Outlines taken where the rasteriser works (the scratch context, no
  // transform), then scaled up on the canvas; the path being built stays.
  const double outline_size = kLargestGlyphPixels / 16;
  const cairo_matrix_t outline_matrix = glyph_matrix(outline_size);
  cairo_set_font_face(scratch_, s.font.face);
  cairo_set_font_matrix(scratch_, &outline_matrix);
  cairo_new_path(scratch_);
  cairo_move_to(scratch_, 0, 0);
  cairo_text_path(scratch_, text.c_str());
  const PathCopy glyphs(cairo_copy_path(scratch_), PathDeleter{});
  cairo_new_path(scratch_);
  double x = 0, y = 0;
  cairo_get_current_point(cr, &x, &y);
  const PathCopy kept(cairo_copy_path(cr), PathDeleter{});
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s.font_size / outline_size, s.font_size / outline_size);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_append_path(cr, glyphs.get());
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_append_path(cr, kept.get());
  cairo_move_to(cr, x + advance.x, y + advance.y);  // where show leaves the point
}

// --- Graphics state ----------------------------------------------------

void Interpreter::gsave() {
  flush_line();
  State copy = *state_;
  if (canvas_.cr && state_->has_point) {
    set_matrix(canvas_.cr, canvas_.page);
    copy.saved_path = PathCopy(cairo_copy_path(canvas_.cr), PathDeleter{});
    sync_matrix();
  }
  // Saved states are few in the library's documents; a runaway gsave
  // without grestore is bounded.
  if (saved_.size() >= 1024) saved_.erase(saved_.begin());
  saved_.push_back(std::move(copy));
}

void Interpreter::grestore() {
  if (saved_.empty()) return;
  run_.pending = false;  // the path is replaced
  *state_ = std::move(saved_.back());
  saved_.pop_back();
  if (!canvas_.cr) return;
  cairo_t* cr = canvas_.cr;
  cairo_new_path(cr);
  sync_clip();
  if (state_->saved_path) {
    set_matrix(cr, canvas_.page);
    cairo_append_path(cr, state_->saved_path.get());
  }
  sync_matrix();
}

void Interpreter::concat(const Matrix& m) {
  flush_line();
  const Matrix next = state_->ctm.after(m);
  if (!invertible(next)) return;  // a singular space could not be drawn in
  state_->ctm = next;
  sync_matrix();
}

void Interpreter::initgraphics() {
  run_.pending = false;
  State& s = *state_;
  const Font font = s.font;
  const double size = s.font_size;
  const bool has_font = s.has_font;
  s = State{};
  s.font = font;
  s.font_size = size;
  s.has_font = has_font;
  if (canvas_.cr) cairo_new_path(canvas_.cr);
  sync_clip();
  sync_matrix();
}

void Interpreter::showpage() {
  canvas_ = pages_.end_page(page_ink_);
  ++pages_ended_;
  page_ink_ = Box{};
  applied_clip_ = nullptr;
  initgraphics();
}

// --- Keeping cairo in step ---------------------------------------------

void Interpreter::sync_matrix() {
  if (!canvas_.cr) return;
  set_matrix(canvas_.cr, canvas_.page.after(state_->ctm));
}

void Interpreter::sync_paint() {
  const State& s = *state_;
  cairo_t* cr = canvas_.cr;
  cairo_set_source_rgb(cr, s.red, s.green, s.blue);
  const double scale = s.ctm.length_scale();
  cairo_set_line_width(cr, std::max(s.line_width, thinnest_ / scale));
  static constexpr cairo_line_join_t joins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL};
  static constexpr cairo_line_cap_t caps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_SQUARE};
  cairo_set_line_join(cr, joins[s.join]);
  cairo_set_line_cap(cr, caps[s.cap]);
  cairo_set_miter_limit(cr, s.miter);
  // cairo refuses a pattern of no length or with negative entries (and
  // would stop drawing); PostScript draws such a pattern solid.
  double total = 0;
  bool valid = true;
  for (const double d : s.dash) {
    valid = valid && d >= 0 && std::isfinite(d);
    total += d;
  }
  if (valid && total > 0) {
    cairo_set_dash(cr, s.dash.data(), static_cast<int>(s.dash.size()), s.dash_offset);
  } else {
    cairo_set_dash(cr, nullptr, 0, 0);
  }
}

void Interpreter::apply_clip_chain(const ClipNode* node) {
  if (node == nullptr) return;
  apply_clip_chain(node->parent.get());
  cairo_new_path(canvas_.cr);
  cairo_append_path(canvas_.cr, node->path.get());
  cairo_clip(canvas_.cr);
}

// After a grestore or a new page the clip in force may differ from the one
// cairo holds: set it again from the saved clipping paths.
void Interpreter::sync_clip() {
  if (!canvas_.cr || applied_clip_ == state_->clip_node.get()) return;
  cairo_t* cr = canvas_.cr;
  set_matrix(cr, canvas_.page);
  PathCopy kept(cairo_copy_path(cr), PathDeleter{});
  cairo_reset_clip(cr);
  apply_clip_chain(state_->clip_node.get());
  cairo_new_path(cr);
  cairo_append_path(cr, kept.get());
  applied_clip_ = state_->clip_node.get();
  sync_matrix();
}

}  // namespace plume::render
