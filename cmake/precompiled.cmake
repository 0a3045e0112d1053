# SPDX-License-Identifier: GPL-3.0-or-later
# Qt's headers are most of what each file of this project compiles. They are
# compiled once for each of three kinds of target and reused: Qt Core only,
# widgets, and tests. A target reuses a header only when it is compiled with
# the same definitions, so each kind links exactly the Qt modules named here.
set(ZYNT_PCH_CORE <algorithm> <functional> <optional> <string> <vector>
    <QByteArray> <QDir> <QFile> <QList> <QObject> <QString> <QStringList>)
set(ZYNT_PCH_WIDGETS ${ZYNT_PCH_CORE} <QAction> <QApplication> <QComboBox> <QLabel> <QLineEdit>
    <QMenu> <QMessageBox> <QPlainTextEdit> <QProgressBar> <QPushButton> <QTableWidget> <QTimer> <QWidget>)
set(ZYNT_PCH_TEST ${ZYNT_PCH_WIDGETS} <QtTest> <QElapsedTimer> <QSignalSpy> <QTemporaryDir>)
# The drive core's tests link Qt Core and Qt Test and nothing else of Qt.
set(ZYNT_PCH_CORETEST ${ZYNT_PCH_CORE} <QTest> <QTimer> <QElapsedTimer> <QSignalSpy> <QTemporaryDir>)

file(WRITE ${CMAKE_BINARY_DIR}/zynt_pch.cpp "// the precompiled headers' own translation unit\n")
foreach(kind core widgets test coretest)
  add_library(zynt_pch_${kind} OBJECT ${CMAKE_BINARY_DIR}/zynt_pch.cpp)
endforeach()
target_link_libraries(zynt_pch_core PRIVATE Qt6::Core)
target_link_libraries(zynt_pch_widgets PRIVATE Qt6::Widgets)
target_link_libraries(zynt_pch_test PRIVATE Qt6::Widgets Qt6::Test)
target_link_libraries(zynt_pch_coretest PRIVATE Qt6::Core Qt6::Test)
target_precompile_headers(zynt_pch_core PRIVATE ${ZYNT_PCH_CORE})
target_precompile_headers(zynt_pch_widgets PRIVATE ${ZYNT_PCH_WIDGETS})
target_precompile_headers(zynt_pch_test PRIVATE ${ZYNT_PCH_TEST})
target_precompile_headers(zynt_pch_coretest PRIVATE ${ZYNT_PCH_CORETEST})

# Qt's test module defines each test folder's paths, which would make every
# folder's definitions differ; the tests find their files without them.
set(ZYNT_TEST_UNDEFINES -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
target_compile_options(zynt_pch_test PRIVATE ${ZYNT_TEST_UNDEFINES})
target_compile_options(zynt_pch_coretest PRIVATE ${ZYNT_TEST_UNDEFINES})

# Lets target reuse the precompiled headers of its kind.
function(zynt_precompile target kind)
  if(kind STREQUAL "test")
    target_link_libraries(${target} PRIVATE Qt6::Widgets Qt6::Test)
    target_compile_options(${target} PRIVATE ${ZYNT_TEST_UNDEFINES})
  elseif(kind STREQUAL "coretest")
    target_link_libraries(${target} PRIVATE Qt6::Core Qt6::Test)
    target_compile_options(${target} PRIVATE ${ZYNT_TEST_UNDEFINES})
  endif()
  target_precompile_headers(${target} REUSE_FROM zynt_pch_${kind})
endfunction()
