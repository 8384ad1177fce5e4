// The editor widget against QPlainTextEdit with a QSyntaxHighlighter for
// the same keywords, comments and strings, in the same run: opening a
// 50,000-line C file and painting its first page; a typed character with
// the repaint of the window, and a page of scrolling with its repaint, in a
// 100,000-line file. Then a 50 MB C file opened from disk and its first page
// painted: the IDE's editor document and view (with colouring) against a
// plain QPlainTextEdit reading the same file. Then an 8 MB text of one line
// loaded and painted (goal: faster), and Enter at line 1 of a
// 1,000,000-line text with the repaint (goal: no slower). Prints the time
// of each and the ratio ours/peer.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include <QFile>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "editor/text/editor_keys.h"
#include "editor/view/edit_view.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "bench_peer.h"
#include "c_highlighter.h"

namespace pm2 {
namespace {

const char* const kKeywords[] = {"int", "char", "void", "static", "const", "return", "if",
                                 "else", "for", "while", "struct", "unsigned", "uint32_t"};

constexpr int kOpenLines = 50000, kEditLines = 100000;

std::string BigFile(int lines) {
  std::string text;
  text.reserve(size_t(lines) * 40);
  for (int i = 0; i < lines; ++i) {
    switch (i % 5) {  // a mix of the lines a C file holds
      case 0: text += "/* block " + std::to_string(i) + " of the driver */\r\n"; break;
      case 1: text += "static int value_" + std::to_string(i) + " = " + std::to_string(i * 7) + ";\r\n"; break;
      case 2: text += "\tif (value > 10) return \"over\"; // check\r\n"; break;
      case 3: text += "\twhile (count--) { uint32_t x = 0; }\r\n"; break;
      default: text += "\r\n"; break;
    }
  }
  return text;
}

// The peer's colouring: the same keywords, comments and strings.
class CHighlighter : public bench::CHighlighter {
 public:
  explicit CHighlighter(QTextDocument* doc) : bench::CHighlighter(doc, Keywords()) {}
  static QStringList Keywords() {
    QStringList words;
    for (const char* k : kKeywords) words << k;
    return words;
  }
};

struct Setup {
  QTemporaryDir dir;
  std::unique_ptr<SettingsStore> store;
  IniFiles ini;
  std::string text = BigFile(kOpenLines);
  std::string editText = BigFile(kEditLines);  // typing and scrolling
  Setup() {
    std::ofstream keys(QDir(dir.path()).filePath("c.ini").toStdString());
    keys << "[Keywords]\r\n";
    for (const char* k : kKeywords) keys << k << "=1\r\n";
    keys << "[Colors]\r\n1=0,0,255\r\n";
    keys.close();
    store = std::make_unique<SettingsStore>(QDir(dir.path()).filePath("settings").toStdString());
    InitEditorProfiles(*store);
    store->WriteProfileString("Editor\\C Files", "Keywords",
                              QDir(dir.path()).filePath("c.ini").toStdString().c_str());
  }
};

Setup& S() {
  static Setup s;
  return s;
}

std::unique_ptr<EditControl> MakeOurs(const std::string& text = S().text) {
  auto e = std::make_unique<EditControl>(nullptr, EditEnvironment{S().store.get(), &S().ini, nullptr, nullptr, {}});
  e->SetLanguage("Editor\\C Files");
  e->resize(800, 600);
  e->show();
  e->Text().LoadFromBytes(text);
  e->ResetView();
  QApplication::processEvents();
  return e;
}

std::unique_ptr<QPlainTextEdit> MakePeer(CHighlighter** pHighlighter, const std::string& text = S().text) {
  auto e = std::make_unique<QPlainTextEdit>();
  QFont f("DejaVu Sans Mono");
  f.setStyleHint(QFont::TypeWriter);
  f.setPointSize(9);
  e->setFont(f);
  e->setLineWrapMode(QPlainTextEdit::NoWrap);
  e->setTabStopDistance(QFontMetricsF(f).horizontalAdvance(' ') * 4);
  *pHighlighter = new CHighlighter(e->document());
  e->resize(800, 600);
  e->show();
  e->setPlainText(QString::fromLatin1(text.data(), qsizetype(text.size())));
  QApplication::processEvents();
  return e;
}

// Paints the whole text area as the window would after the change.
void Paint(QWidget* viewport, QImage& image) {
  QPainter p(&image);
  viewport->render(&p);
}

void BM_OpenOurs(benchmark::State& state) {
  auto e = MakeOurs();
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    e->Text().LoadFromBytes(S().text);
    e->ResetView();
    Paint(e->viewport(), image);
  }
}

void BM_OpenPeer(benchmark::State& state) {
  CHighlighter* h = nullptr;
  auto e = MakePeer(&h);
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  QString text = QString::fromLatin1(S().text.data(), qsizetype(S().text.size()));
  for (auto _ : state) {
    e->setPlainText(text);
    Paint(e->viewport(), image);
  }
}

void BM_TypeOurs(benchmark::State& state) {
  auto e = MakeOurs(S().editText);
  e->GotoLine(kEditLines / 2, 10);
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  int n = 0;
  for (auto _ : state) {
    e->Engine().OnChar(++n % 64 ? 'x' : 13);
    Paint(e->viewport(), image);
  }
}

void BM_TypePeer(benchmark::State& state) {
  CHighlighter* h = nullptr;
  auto e = MakePeer(&h, S().editText);
  QTextCursor c(e->document()->findBlockByNumber(kEditLines / 2 - 1));
  c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 10);
  e->setTextCursor(c);
  e->centerCursor();
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  int n = 0;
  for (auto _ : state) {
    e->insertPlainText(++n % 64 ? "x" : "\n");
    Paint(e->viewport(), image);
  }
}

void BM_ScrollOurs(benchmark::State& state) {
  auto e = MakeOurs(S().editText);
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    if (e->Engine().State().nTopLine > kEditLines - 1000) e->Engine().OnVScroll(5, 0);
    e->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    Paint(e->viewport(), image);
  }
}

void BM_ScrollPeer(benchmark::State& state) {
  CHighlighter* h = nullptr;
  auto e = MakePeer(&h, S().editText);
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  QScrollBar* bar = e->verticalScrollBar();
  for (auto _ : state) {
    if (bar->value() > bar->maximum() - 1000) bar->setValue(0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    Paint(e->viewport(), image);
  }
}

// A C file of about 50 MB on disk, made once.
const std::string& BigFilePath() {
  static std::string path = [] {
    std::string p = QDir(S().dir.path()).filePath("big.c").toStdString();
    std::ofstream f(p, std::ios::binary);
    const std::string& block = S().text;  // 50,000 lines, about 1.5 MB
    size_t written = 0;
    while (written < 50u * 1024 * 1024) {
      f << block;
      written += block.size();
    }
    return p;
  }();
  return path;
}

void BM_Open50MbOurs(benchmark::State& state) {
  const std::string& path = BigFilePath();
  uint32_t appState = 0;
  EditorViewContext ctx;
  ctx.appState = &appState;
  DocumentEnvironment env;
  env.text = EditEnvironment{S().store.get(), &S().ini, nullptr, nullptr, {}};
  env.appState = &appState;
  for (auto _ : state) {
    EditorDocument doc(env);
    EditShared shared;
    EditorView view(&doc, &shared, &ctx);
    view.resize(800, 600);
    doc.OnOpenDocument(path);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    Paint(view.viewport(), image);
    benchmark::DoNotOptimize(doc.Text().GetLineCount());
  }
}

void BM_Open50MbPeer(benchmark::State& state) {
  const std::string& path = BigFilePath();
  for (auto _ : state) {
    QPlainTextEdit e;
    e.setLineWrapMode(QPlainTextEdit::NoWrap);
    e.resize(800, 600);
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    e.setPlainText(QString::fromLatin1(bytes));
    QImage image(e.viewport()->size(), QImage::Format_RGB32);
    Paint(e.viewport(), image);
    benchmark::DoNotOptimize(e.blockCount());
  }
}

// One line of 8 MB (with its line end), C-like words without line ends.
const std::string& LongLine() {
  static std::string line = [] {
    std::string l;
    l.reserve(8u << 20);
    for (int i = 0; l.size() < (8u << 20); ++i) l += "value_" + std::to_string(i) + " = x + 1; ";
    l += "\r\n";
    return l;
  }();
  return line;
}

void BM_LongLineOurs(benchmark::State& state) {
  auto e = MakeOurs("\r\n");
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    e->Text().LoadFromBytes(LongLine());
    e->ResetView();
    Paint(e->viewport(), image);
  }
  state.counters["lines"] = e->Text().GetLineCount();
}

void BM_LongLinePeer(benchmark::State& state) {
  CHighlighter* h = nullptr;
  auto e = MakePeer(&h, "\r\n");
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  QString text = QString::fromLatin1(LongLine().data(), qsizetype(LongLine().size()));
  for (auto _ : state) {
    e->setPlainText(text);
    Paint(e->viewport(), image);
  }
}

constexpr int kMillionLines = 1000000;

const std::string& MillionLines() {
  static std::string text = BigFile(kMillionLines);
  return text;
}

void BM_EnterAtTopOurs(benchmark::State& state) {
  auto e = MakeOurs(MillionLines());
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    e->GotoLine(1, 0);
    e->Engine().OnChar(13);
    Paint(e->viewport(), image);
  }
  state.counters["lines"] = e->Text().GetLineCount();
}

void BM_EnterAtTopPeer(benchmark::State& state) {
  CHighlighter* h = nullptr;
  auto e = MakePeer(&h, MillionLines());
  QImage image(e->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    e->moveCursor(QTextCursor::Start);
    e->insertPlainText("\n");
    Paint(e->viewport(), image);
  }
}

BENCHMARK(BM_OpenOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypePeer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollPeer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Open50MbOurs)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Open50MbPeer)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LongLineOurs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LongLinePeer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EnterAtTopOurs)->Unit(benchmark::kMicrosecond)->Iterations(2000);
BENCHMARK(BM_EnterAtTopPeer)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void PrintRatios(const bench::TimesReporter& times) {
  struct Row {
    const char* what;
    const char* ours;
    const char* peer;
    double goal;  // ratio ours/peer: 1 no slower, below 1 faster
    const char* unit;
  };
  const Row rows[] = {{"open 50,000 lines and paint the first page", "BM_OpenOurs", "BM_OpenPeer", 1.0, "ms"},
                      {"type a character and repaint (100,000 lines)", "BM_TypeOurs", "BM_TypePeer", 1.0, "us"},
                      {"scroll a page and repaint (100,000 lines)", "BM_ScrollOurs", "BM_ScrollPeer", 1.0, "us"},
                      {"open a 50 MB C file and paint the first page", "BM_Open50MbOurs", "BM_Open50MbPeer", 1.0, "ms"},
                      {"load an 8 MB one-line text and paint", "BM_LongLineOurs", "BM_LongLinePeer", 0.99, "ms"},
                      {"Enter at line 1 of 1,000,000 lines and repaint", "BM_EnterAtTopOurs", "BM_EnterAtTopPeer",
                       1.0, "us"}};
  for (const Row& r : rows) bench::PrintRatio(r.what, times.Time(r.ours), "QPlainTextEdit", times.Time(r.peer), r.goal, r.unit);
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
