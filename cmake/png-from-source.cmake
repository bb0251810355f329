# libpng compiled from its sources (LIVRA_PNG_SOURCE: Debian's libpng1.6
# source, unpacked by scripts/windows.sh) for a target that has no libpng of
# its own (mingw-w64), linked statically with the target's zlib. Provides
# PNG::PNG and PNG_FOUND as find_package(PNG) would.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
set(png_dir ${LIVRA_PNG_SOURCE})
set(png_sources)
foreach(f png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans
        pngwio pngwrite pngwtran pngwutil)
  list(APPEND png_sources ${png_dir}/${f}.c)
endforeach()
enable_language(C)
set(png_config ${CMAKE_BINARY_DIR}/png-config)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt ${png_config}/pnglibconf.h COPYONLY)
add_library(livra_png STATIC ${png_sources})
target_include_directories(livra_png SYSTEM PUBLIC ${png_dir} ${png_config})
# No hand-written SIMD paths: the portable code is fast enough for plan pictures.
target_compile_definitions(livra_png PRIVATE PNG_ARM_NEON_OPT=0 PNG_INTEL_SSE_OPT=0)
target_compile_options(livra_png PRIVATE -w)
target_link_libraries(livra_png PUBLIC ZLIB::ZLIB)
add_library(PNG::PNG ALIAS livra_png)
set(PNG_FOUND TRUE)
