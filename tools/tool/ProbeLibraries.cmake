# Which libavformat the duration probe links: the distribution's, like every
# other part of the player. Nothing is downloaded or built from source here.
#
# Defines the target vantorel_probe_libav.

add_library(vantorel_probe_libav INTERFACE)
pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET libavformat libavutil)
target_link_libraries(vantorel_probe_libav INTERFACE PkgConfig::AVFORMAT)
