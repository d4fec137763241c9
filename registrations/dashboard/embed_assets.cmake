# Writes a C++ source that holds the dashboard's files as byte arrays.
#   cmake -DOUTPUT=file.cpp -DPAGE=folder -DCHARTJS=chart.min.js -P embed_assets.cmake
set(ASSETS
  "index.html|${PAGE}/index.html|text/html"
  "dashboard.css|${PAGE}/dashboard.css|text/css"
  "dashboard.js|${PAGE}/dashboard.js|text/javascript"
  "chart.min.js|${CHARTJS}|text/javascript")
set(arrays "")
set(table "")
set(index 0)
foreach(entry IN LISTS ASSETS)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  list(GET parts 2 type)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char asset${index}[${size}] = {${bytes}};\n")
  string(APPEND table "    {u\"${name}\", asset${index}, ${size}, \"${type}; charset=utf-8\"},\n")
  math(EXPR index "${index} + 1")
endforeach()
set(source "// Generated at build time from the dashboard's files by embed_assets.cmake.
#include \"registrations/dashboard/assets.h\"

#include <QStringView>

namespace registrations::dashboard {

namespace {

${arrays}
struct Entry {
    QStringView name;
    const unsigned char *data;
    qsizetype size;
    const char *contentType;
};

const Entry kEntries[] = {
${table}};

} // namespace

std::optional<Asset> findAsset(QStringView name)
{
    for (const Entry &entry : kEntries) {
        if (entry.name == name)
            return Asset{QByteArrayView(entry.data, entry.size), entry.contentType};
    }
    return std::nullopt;
}

} // namespace registrations::dashboard
")
file(WRITE "${OUTPUT}.tmp" "${source}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
