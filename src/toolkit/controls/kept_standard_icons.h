// The application's style, giving out each standard icon once. Qt's styles
// make a new icon at every ask (a dialog's tool and Open/Cancel buttons, a
// message box's sign, a file dialog's folder rows), and every icon drawn
// leaves its scaled and greyed images in Qt's pixmap cache under a key of
// that icon's own, which nobody asks for again: hours of dialogs opened
// and closed filled the cache with copies of a few images. An icon given
// out again draws from the entries it left the first time.
#pragma once

#include <QProxyStyle>

#include <map>
#include <mutex>
#include <tuple>

namespace pm2 {

class KeptStandardIconsStyle : public QProxyStyle {
 public:
  // Over the given style (taken over), or over the one Qt would choose
  // (the platform's, or the one named with -style or QT_STYLE_OVERRIDE).
  explicit KeptStandardIconsStyle(QStyle* base = nullptr);

  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;

 private:
  // What an icon may differ by: which one, the direction it points in
  // (back and forward arrows swap), the resolution its size was chosen
  // for, the pixel ratio its image was made for (hundredths).
  using Key = std::tuple<int, bool, int, int>;
  // File dialogs ask for icons on the thread that reads their folders too.
  mutable std::mutex m_lock;
  mutable std::map<Key, QIcon> m_icons;
};

// Makes the application's style a KeptStandardIconsStyle over the style it
// has, once: later calls find it there. Needs the application object.
void KeepStandardIcons();

}  // namespace pm2
