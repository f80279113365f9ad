# The Qt Widgets back end, libolconn97-qt.so: a plugin beside the library
# that the driver loads at run time (src/outside/ui/qt_loader.h). Only the
# plugin links Qt; the library, the host and their tests do not.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

file(GLOB OLCONN97_QT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/outside/ui/qt/*.cpp)
set(OLCONN97_QT_ENTRY ${CMAKE_SOURCE_DIR}/src/outside/ui/qt/qt_entry.cpp)
list(REMOVE_ITEM OLCONN97_QT_SOURCES ${OLCONN97_QT_ENTRY})

# The back end's code, once, for the plugin and for the tests that look at
# its widgets.
add_library(olconn97_qt_objects OBJECT ${OLCONN97_QT_SOURCES})
target_include_directories(olconn97_qt_objects PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(olconn97_qt_objects PRIVATE ${OLCONN97_WARNINGS})
set_target_properties(olconn97_qt_objects PROPERTIES
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(olconn97_qt_objects PUBLIC Qt6::Widgets)
# No signals/slots keywords: the driver's headers may use the words.
target_compile_definitions(olconn97_qt_objects PUBLIC QT_NO_KEYWORDS)

if(OLCONN97_SANITIZE)
  # UndefinedBehaviorSanitizer's vptr check would need the type information
  # of the window models' controls, which lives in the library, unexported:
  # the back end's code goes without that one check.
  target_compile_options(olconn97_qt_objects PRIVATE -fno-sanitize=vptr)
endif()

# The plugin exports its one entry point and needs none of the library's
# symbols: the back end reaches the driver through virtual members only,
# which --no-undefined keeps true.
add_library(olconn97_qt MODULE ${OLCONN97_QT_ENTRY} $<TARGET_OBJECTS:olconn97_qt_objects>)
set_target_properties(olconn97_qt PROPERTIES OUTPUT_NAME olconn97-qt
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(olconn97_qt PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(olconn97_qt PRIVATE ${OLCONN97_WARNINGS})
if(OLCONN97_SANITIZE)
  target_compile_options(olconn97_qt PRIVATE -fno-sanitize=vptr)
endif()
target_link_libraries(olconn97_qt PRIVATE Qt6::Widgets)
target_compile_definitions(olconn97_qt PRIVATE QT_NO_KEYWORDS)
target_link_options(olconn97_qt PRIVATE -Wl,--no-undefined)
# The host opens the driver's windows: built with it, so the build folder
# has what an installation has.
add_dependencies(olconn97_host olconn97_qt)
