// The style that gives out each standard icon once and the file dialogs'
// model that makes its header's icon once, on the offscreen platform. An
// icon given out again is the same icon, so Qt's pixmap cache keeps its
// images under one key; it looks as the style under it draws it; an icon
// that differs (pointing the other way) is kept apart.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTreeView>

#include <memory>
#include <vector>

#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/kept_standard_icons.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace kept_icons_test {

QApplication* KeptIconsApp() {
  static int argc = 1;
  static char name[] = "toolkit_controls_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    if (QApplication* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return running;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

QImage Drawn(const QIcon& icon, QSize size = QSize(16, 16)) { return icon.pixmap(size).toImage(); }

// A header's icon as QHeaderView reads it from its model.
QIcon HeaderIcon(const QAbstractItemModel& model, int section) {
  const QVariant value = model.headerData(section, Qt::Horizontal, Qt::DecorationRole);
  const QIcon icon = qvariant_cast<QIcon>(value);
  return icon.isNull() ? QIcon(qvariant_cast<QPixmap>(value)) : icon;
}

// Standard icons a file dialog, its buttons, a message box and the file
// icons ask for.
struct KeptIconRow {
  const char* name;
  QStyle::StandardPixmap icon;
};
const KeptIconRow kKeptIconRows[] = {
    {"back arrow", QStyle::SP_ArrowBack},
    {"forward arrow", QStyle::SP_ArrowForward},
    {"parent folder", QStyle::SP_FileDialogToParent},
    {"new folder", QStyle::SP_FileDialogNewFolder},
    {"list view", QStyle::SP_FileDialogListView},
    {"detail view", QStyle::SP_FileDialogDetailedView},
    {"Open button", QStyle::SP_DialogOpenButton},
    {"Cancel button", QStyle::SP_DialogCancelButton},
    {"warning sign", QStyle::SP_MessageBoxWarning},
    {"question sign", QStyle::SP_MessageBoxQuestion},
    {"folder", QStyle::SP_DirIcon},
    {"file", QStyle::SP_FileIcon},
    {"hard disk", QStyle::SP_DriveHDIcon},
};

class KeptStandardIconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeptIconsApp();
    style = std::make_unique<KeptStandardIconsStyle>();
    // The style the kept one stands over, made again on its own.
    plain.reset(QStyleFactory::create(style->baseStyle()->name()));
    ASSERT_NE(plain, nullptr) << style->baseStyle()->name().toStdString();
  }
  std::unique_ptr<KeptStandardIconsStyle> style;
  std::unique_ptr<QStyle> plain;
};

TEST_F(KeptStandardIconsTest, EachIconIsGivenOutOnceAsTheStyleUnderItDrawsIt) {
  for (const KeptIconRow& row : kKeptIconRows) {
    SCOPED_TRACE(row.name);
    const QIcon first = style->standardIcon(row.icon);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(style->standardIcon(row.icon).cacheKey(), first.cacheKey());
    EXPECT_EQ(style->standardIcon(row.icon, nullptr, nullptr).cacheKey(), first.cacheKey());
    EXPECT_EQ(Drawn(first), Drawn(plain->standardIcon(row.icon)));
  }
}

// The back arrow of a right-to-left dialog points right: a different icon,
// kept as well, and not given out for the left-to-right one.
TEST_F(KeptStandardIconsTest, AnArrowPointingTheOtherWayIsKeptApart) {
  QStyleOption leftToRight;
  leftToRight.direction = Qt::LeftToRight;
  QStyleOption rightToLeft;
  rightToLeft.direction = Qt::RightToLeft;
  const QIcon back = style->standardIcon(QStyle::SP_ArrowBack, &leftToRight);
  const QIcon backRtl = style->standardIcon(QStyle::SP_ArrowBack, &rightToLeft);
  EXPECT_NE(backRtl.cacheKey(), back.cacheKey());
  EXPECT_NE(Drawn(backRtl), Drawn(back));
  EXPECT_EQ(Drawn(backRtl), Drawn(plain->standardIcon(QStyle::SP_ArrowBack, &rightToLeft)));
  EXPECT_EQ(Drawn(back), Drawn(plain->standardIcon(QStyle::SP_ArrowBack, &leftToRight)));
  EXPECT_EQ(style->standardIcon(QStyle::SP_ArrowBack, &rightToLeft).cacheKey(), backRtl.cacheKey());
  EXPECT_EQ(style->standardIcon(QStyle::SP_ArrowBack, &leftToRight).cacheKey(), back.cacheKey());
}

// Qt's file system model answers the header's icon with a new image at each
// ask; between it and the views the header's icon is one icon for every
// model of the run, the same picture, and every other answer is the file
// system's.
TEST(KeptHeaderIconModelTest, TheFileSystemHeadersIconIsMadeOnce) {
  KeptIconsApp();
  QFileSystemModel files;
  KeptHeaderIconModel kept;
  kept.setSourceModel(&files);
  const QIcon first = HeaderIcon(kept, 0);
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(HeaderIcon(kept, 0).cacheKey(), first.cacheKey());
  QFileSystemModel otherFiles;
  KeptHeaderIconModel other;
  other.setSourceModel(&otherFiles);
  EXPECT_EQ(HeaderIcon(other, 0).cacheKey(), first.cacheKey());
  const QImage image = qvariant_cast<QImage>(files.headerData(0, Qt::Horizontal, Qt::DecorationRole));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(Drawn(first, image.size()), image.convertToFormat(Drawn(first, image.size()).format()));
  for (int section = 0; section < files.columnCount(); ++section) {
    SCOPED_TRACE(section);
    EXPECT_EQ(kept.headerData(section, Qt::Horizontal, Qt::DisplayRole),
              files.headerData(section, Qt::Horizontal, Qt::DisplayRole));
    if (section > 0) {
      EXPECT_EQ(kept.headerData(section, Qt::Horizontal, Qt::DecorationRole),
                files.headerData(section, Qt::Horizontal, Qt::DecorationRole));
    }
  }
}

// File dialogs given the model show it in their detail view: their headers
// draw the same icon at every paint, in every dialog.
TEST(KeptHeaderIconModelTest, EveryFileDialogsHeaderShowsOneIcon) {
  KeptIconsApp();
  std::vector<qint64> keys;
  for (int i = 0; i < 2; ++i) {
    QFileDialog dialog(nullptr, "Open", QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    KeepHeaderIcon(dialog);
    ASSERT_NE(dynamic_cast<KeptHeaderIconModel*>(dialog.proxyModel()), nullptr);
    auto* details = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(details, nullptr);
    const QIcon icon = HeaderIcon(*details->header()->model(), 0);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(HeaderIcon(*details->header()->model(), 0).cacheKey(), icon.cacheKey());
    keys.push_back(icon.cacheKey());
  }
  EXPECT_EQ(keys[1], keys[0]);
}

}  // namespace kept_icons_test
}  // namespace pm2
