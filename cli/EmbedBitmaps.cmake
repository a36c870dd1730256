# Writes OUT, a C++ source holding the bytes of the built-in bitmaps IDS
# (from FOLDER/<id>.bmp, the files the program's resource tree is built
# from) and BuiltinBitmap() over them. Run with cmake -P at build time.
set(arrays "")
set(rows "")
foreach(id IN LISTS IDS)
  file(READ "${FOLDER}/${id}.bmp" hex HEX)
  string(LENGTH "${hex}" digits)
  if(digits EQUAL 0)
    message(FATAL_ERROR "${FOLDER}/${id}.bmp is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    "
         bytes "${bytes}")
  string(APPEND arrays "constexpr uint8_t kBitmap${id}[] = {\n    ${bytes}};\n")
  string(APPEND rows "    {${id}, kBitmap${id}},\n")
endforeach()
file(WRITE "${OUT}.new" "// Generated from the built-in bitmap files by cli/EmbedBitmaps.cmake.
#include \"cli/BuiltinBitmaps.h\"

namespace lumora::cli {

namespace {

${arrays}
struct Entry {
  uint32_t id;
  std::span<const uint8_t> bytes;
};
constexpr Entry kEntries[] = {
${rows}};

}  // namespace

std::optional<std::span<const uint8_t>> BuiltinBitmap(uint32_t id) {
  for (const Entry& e : kEntries)
    if (e.id == id) return e.bytes;
  return std::nullopt;
}

}  // namespace lumora::cli
")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
