# The fonts every test sees: the six of Debian's fonts-dejavu-core (which
# pm2.sh installs), whatever else the machine has. The tests measure and
# draw text, so a machine with more fonts (or other fonts first in its
# fontconfig rules) would otherwise see other rows, widths and pictures.
# Each test gets FONTCONFIG_FILE=${PM2_TEST_FONTS_CONF} (PM2_TEST_ENV holds
# it with the offscreen platform); the end-to-end scripts set it
# themselves from the build folder.
set(PM2_TEST_FONTS_SOURCE /usr/share/fonts/truetype/dejavu)
set(PM2_TEST_FONTS_DIR ${CMAKE_BINARY_DIR}/fonts)
set(PM2_TEST_FONTS_CONF ${PM2_TEST_FONTS_DIR}/fonts.conf)
set(PM2_TEST_ENV "QT_QPA_PLATFORM=offscreen;FONTCONFIG_FILE=${PM2_TEST_FONTS_CONF}")

# fontconfig reads folders, not files: the folder holds links to the six.
file(MAKE_DIRECTORY ${PM2_TEST_FONTS_DIR}/files)
foreach(font DejaVuSans DejaVuSans-Bold DejaVuSansMono DejaVuSansMono-Bold DejaVuSerif DejaVuSerif-Bold)
  if(NOT EXISTS ${PM2_TEST_FONTS_SOURCE}/${font}.ttf)
    message(WARNING "${PM2_TEST_FONTS_SOURCE}/${font}.ttf is missing (Debian's fonts-dejavu-core): "
                    "the window tests will see no fonts")
  endif()
  file(CREATE_LINK ${PM2_TEST_FONTS_SOURCE}/${font}.ttf ${PM2_TEST_FONTS_DIR}/files/${font}.ttf SYMBOLIC)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/test_fonts.conf.in ${PM2_TEST_FONTS_CONF} @ONLY)
