# Writes OUTPUT, a C++ source holding every SCHEMA_DIR/*.sql file's name and
# text, for android_schemas.cpp.
file(GLOB inputs ${SCHEMA_DIR}/*.sql)
list(SORT inputs)
set(names "")
set(texts "")
foreach(input IN LISTS inputs)
  get_filename_component(name ${input} NAME)
  file(READ ${input} text)
  string(APPEND names "    \"${name}\",\n")
  string(APPEND texts "    R\"quen_sql(${text})quen_sql\",\n")
endforeach()
list(LENGTH inputs count)
file(WRITE ${OUTPUT}.new
  "// Generated from ${SCHEMA_DIR} by embed_schemas.cmake.\n"
  "#include <cstddef>\n\nnamespace quen::records::recovery {\n\n"
  "extern const char* const kAndroidSchemaNames[] = {\n${names}};\n"
  "extern const char* const kAndroidSchemaTexts[] = {\n${texts}};\n"
  "extern const size_t kAndroidSchemaCount = ${count};\n\n}  // namespace quen::records::recovery\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
