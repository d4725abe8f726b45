# Installs the build into a scratch prefix and checks what lands there: the
# manager with its desktop entry and icons, mrvctl beside it, and not the
# simulator.
#   cmake -D BUILD=dir -D PREFIX=dir -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result})")
endif()
foreach(path IN ITEMS bin/mrvmgr bin/mrvctl share/applications/mrvmgr.desktop
        share/icons/hicolor/scalable/apps/mrvmgr.svg share/icons/hicolor/48x48/apps/mrvmgr.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
if(EXISTS "${PREFIX}/bin/mrvsim")
    message(FATAL_ERROR "the simulator is installed, it must not be")
endif()
file(STRINGS "${PREFIX}/share/applications/mrvmgr.desktop" entry)
foreach(line IN ITEMS "[Desktop Entry]" "Type=Application" "Exec=mrvmgr %f" "Icon=mrvmgr")
    list(FIND entry "${line}" index)
    if(index EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks '${line}'")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
