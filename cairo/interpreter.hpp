// Reads the PostScript that the library writes, line by line, and draws it
// with cairo, or only measures what it would draw. The vocabulary is small
// and fixed: the prologue's procedures, path construction, the graphics
// state, fonts and `show`, clipping and pages. Any other line is read
// without harm: an unknown name is ignored, an operator short of operands
// does nothing.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cairo/fonts.hpp"
#include "cairo/geometry.hpp"

namespace plume::render {

// Where a page is drawn: a cairo context and the transform from sheet
// points (PostScript's default space) to its device space.
struct Canvas {
  cairo_t* cr = nullptr;  // null: measure only
  Matrix page;
};

// Receives every finished page with the extent of its ink, in sheet points,
// and gives the canvas of the next one.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual Canvas end_page(const Box& ink) = 0;
};

struct Token {
  enum class Kind { number, name, literal, string, proc_begin, proc_end, array_begin, array_end };
  Kind kind = Kind::name;
  double number = 0;
  std::string text;
};
using Procedure = std::vector<Token>;

class Interpreter {
 public:
  // `thinnest` is the width in sheet points of a line of width 0.
  Interpreter(Fonts& fonts, PageSink& pages, Canvas first, double thinnest);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Any piece of the document text; lines may span pieces.
  void feed(const char* data, std::size_t size);
  // The end of the document: a page with ink that no showpage ended (or
  // the only page of an empty document) is ended here.
  void finish();
  // The extent of all ink so far, every page together.
  const Box& total_ink() const { return total_ink_; }
  int pages_ended() const { return pages_ended_; }

 private:
  struct Value;
  struct ClipNode;
  struct State;

  void run_line(std::string_view line);
  // The pen motion lines, nine in ten of a long document, read without the
  // general machinery; false when the line is not one.
  bool run_motion_line(std::string_view line);
  void check_motion_procedures();
  void process(const Token& token);
  void execute(const std::string& name);
  void call(const Procedure& procedure);
  void operate(int op);

  bool pop_number(double& out);
  bool pop_numbers(double* out, int count);
  void push(Value v);

  void moveto(Point user);
  void lineto(Point user);
  void rmoveto(Point delta);
  void rlineto(Point delta);
  void arc(double x, double y, double r, double a1, double a2, bool clockwise);
  void closepath();
  void newpath();
  void stroke();
  void note_segment(Point from, Point to);
  void note_join(Point in, Point out);
  double stroke_reach(double miter_reach) const;
  void fill();
  void clip();
  void rectangle(double x, double y, double w, double h, bool filled);
  void show(const std::string& bytes);
  void draw_text(const std::string& text, Point advance);
  void gsave();
  void grestore();
  void concat(const Matrix& m);
  void showpage();
  void initgraphics();

  // Drawing: runs of lines that stay within simplify_ of a straight line
  // go to cairo as that line (the same picture, far fewer points to write
  // or fill). The last point of a run waits here until the run ends.
  void line_to_cairo(Point user, Point device);
  void flush_line();

  void add_ink(Box box);
  double half_width_device() const;
  void sync_matrix();
  void sync_paint();
  void sync_clip();
  void apply_clip_chain(const ClipNode* node);

  Fonts& fonts_;
  PageSink& pages_;
  Canvas canvas_;
  double thinnest_;
  double simplify_;  // sheet points
  std::unique_ptr<State> state_;
  std::vector<State> saved_;
  std::vector<Value> stack_;
  std::unordered_map<std::string, Value> user_;
  std::vector<Value> dicts_;  // the dictionary stack above userdict
  std::unordered_map<std::string, Font> defined_fonts_;
  // Procedure being collected from the tokens, across lines.
  std::vector<Procedure> collecting_;
  int call_depth_ = 0;
  // The prologue's pM, pL and pQ are defined as the library defines them
  // (and the operators they call are not redefined).
  bool standard_motions_ = false;
  std::string carry_;
  Box page_ink_;
  Box total_ink_;
  int pages_ended_ = 0;
  const ClipNode* applied_clip_ = nullptr;
  struct Run {
    bool pending = false;   // a point waits
    Point anchor;           // device space: the point cairo's path ends at
    Point end_user, end;    // the waiting point
    double end_distance = 0;
    bool has_direction = false;
    double direction = 0;   // of the first point off the anchor
    double low = 0, high = 0;  // directions (relative) every point so far allows
  } run_;
  // Text metrics come from a context of their own, in either mode.
  cairo_surface_t* scratch_surface_;
  cairo_t* scratch_;
};

}  // namespace plume::render
