# The two value edit dialogs of the form, as a library the program and the tests link.
# Include after find_package(Qt6 ... Widgets).
add_library(veld_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CValueDecDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CValueDlgBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CValueHexDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControlFit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormFont.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GulimFamilies.cpp
)
set_target_properties(veld_dialogs PROPERTIES AUTOMOC ON)
# fontconfig directly: the Korean font is looked up before the application exists.
find_package(Fontconfig REQUIRED)
target_link_libraries(veld_dialogs PUBLIC veld_core Qt6::Widgets PRIVATE Fontconfig::Fontconfig)
