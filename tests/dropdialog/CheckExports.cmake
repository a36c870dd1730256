# Checks the dynamic symbol table of libQvDialog.so: every defined symbol
# belongs to the class QvDropDialog, and the class is there whole (constructor,
# destructor, virtual table, type information, the operations).
#   cmake -DNM=<nm> -DLIBRARY=<libQvDialog.so> -P CheckExports.cmake
execute_process(COMMAND ${NM} -DC --defined-only ${LIBRARY}
                OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY} (${result})")
endif()
string(REPLACE "\n" ";" lines "${table}")
set(count 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  if(NOT line MATCHES "QvDropDialog")
    message(FATAL_ERROR "exported symbol outside QvDropDialog: ${line}")
  endif()
endforeach()
foreach(expected
    " QvDropDialog::QvDropDialog\\(int, QWidget\\*\\)"
    " QvDropDialog::~QvDropDialog\\(\\)"
    " vtable for QvDropDialog"
    " typeinfo for QvDropDialog"
    " QvDropDialog::staticMetaObject"
    " QvDropDialog::OnDragOver\\(QPoint const&\\)"
    " QvDropDialog::OnDropFiles\\(QByteArray const&\\)"
    " QvDropDialog::DoDragDrop2\\("
    " QvDropDialog::OnQuorvixNotify\\("
    " QvDropDialog::RegAddFilePath\\(")
  if(NOT table MATCHES "${expected}")
    message(FATAL_ERROR "not exported: ${expected}")
  endif()
endforeach()
message(STATUS "${count} exported symbols, all of QvDropDialog")
