# Installs the build into a scratch prefix and checks what lands there: the
# manager with its desktop entry and icons, mrvctl and the simulator beside
# it, the guide, the man pages and mrvctl's completion.
#   cmake -D BUILD=dir -D PREFIX=dir -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result})")
endif()
foreach(path IN ITEMS bin/mrvmgr bin/mrvctl share/applications/mrvmgr.desktop
        share/icons/hicolor/scalable/apps/mrvmgr.svg share/icons/hicolor/48x48/apps/mrvmgr.png
        bin/mrvsim share/mrvmgr/guide/index.html share/man/man1/mrvctl.1.gz
        share/bash-completion/completions/mrvctl)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/mrvmgr.desktop" entry)
foreach(line IN ITEMS "[Desktop Entry]" "Type=Application" "Exec=mrvmgr %f" "Icon=mrvmgr")
    list(FIND entry "${line}" index)
    if(index EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks '${line}'")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
