# Sourced, not run. Every script builds through the workflow presets of
# CMakePresets.json (the configure preset, then the build preset, of one
# name), never with compiler lines or a configure and build of its own:
#   preset_build NAME  configures and builds NAME, with as many jobs as there
#                      are cores unless CMAKE_BUILD_PARALLEL_LEVEL says how many
preset_build() { CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)} cmake --workflow --preset "$1"; }
