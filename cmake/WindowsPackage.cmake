# The Windows release layout, made by one command after the build:
#   cmake --install <build dir> --prefix <release dir>
#   bin/      Quenvo.dll, ycbcr2rgb.fxo, the example host
#   lib/      Quenvo.lib (import library)
#   include/  quenvo.h
#   effects/  the effect's source
install(TARGETS quenvo RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/include/quenvo.h DESTINATION include)
install(FILES ${PROJECT_BINARY_DIR}/ycbcr2rgb.fxo DESTINATION bin)
file(GLOB qnv_effect_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/effects/*.fx
     ${PROJECT_SOURCE_DIR}/effects/*.vsh ${PROJECT_SOURCE_DIR}/effects/*.psh)
install(FILES ${qnv_effect_sources} DESTINATION effects)
