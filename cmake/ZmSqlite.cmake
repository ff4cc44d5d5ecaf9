# The SQLite the engine runs on: zm::sqlite3.
#
# With ZM_SQLITE_SOURCE naming a folder that holds SQLite's single-file source (scripts/sqlite-source
# prepares Debian's own, and scripts/test and scripts/run pass it), that source is built as the
# shared library zm_sqlite3, with the options Debian builds its libsqlite3 with and a higher limit
# of attached files: the consolidation copies each store through an attachment of the store's file
# on BACKUP.MDB's connection, and an attachment read inside the run's transaction stays until the
# commit, so the limit is the number of stores copied at SQLite's own rate. 125 is SQLite's
# compile-time maximum. One shared library, never a static one: two copies of SQLite in one process
# would keep two tables of the process's file locks, and lose each other's locks.
#
# Without it, the system's library is used as it is (ten attached files; the stores after the tenth
# are copied through the engine's row pump).
#
# The loadable extension jettext always builds against the system's library, since it is loaded
# into the system's SQLite tools.
set(ZM_SQLITE_SOURCE "" CACHE PATH "Folder with SQLite's sqlite3.c to build in place of the system library")

if(ZM_SQLITE_SOURCE)
  if(NOT EXISTS ${ZM_SQLITE_SOURCE}/sqlite3.c)
    message(FATAL_ERROR "ZM_SQLITE_SOURCE=${ZM_SQLITE_SOURCE} holds no sqlite3.c (scripts/sqlite-source makes it)")
  endif()
  add_library(zm_sqlite3 SHARED ${ZM_SQLITE_SOURCE}/sqlite3.c)
  target_include_directories(zm_sqlite3 SYSTEM PUBLIC ${ZM_SQLITE_SOURCE})
  # What configure found of this system (sqlite_cfg.h: usleep, fdatasync, pread, ...), Debian's
  # options (its package's rules), then the attach limit.
  target_compile_definitions(zm_sqlite3 PRIVATE _HAVE_SQLITE_CONFIG_H
    SQLITE_SECURE_DELETE SQLITE_ENABLE_COLUMN_METADATA SQLITE_ENABLE_FTS3
    SQLITE_ENABLE_FTS3_PARENTHESIS SQLITE_ENABLE_RTREE=1 SQLITE_SOUNDEX=1
    SQLITE_ENABLE_UNLOCK_NOTIFY SQLITE_OMIT_LOOKASIDE=1 SQLITE_ENABLE_DBSTAT_VTAB
    SQLITE_ALLOW_ROWID_IN_VIEW SQLITE_ENABLE_UPDATE_DELETE_LIMIT=1 SQLITE_ENABLE_LOAD_EXTENSION
    SQLITE_ENABLE_JSON1 SQLITE_LIKE_DOESNT_MATCH_BLOBS SQLITE_THREADSAFE=1
    SQLITE_ENABLE_FTS3_TOKENIZER=1 SQLITE_USE_URI=1 SQLITE_MAX_SCHEMA_RETRY=25
    SQLITE_ENABLE_PREUPDATE_HOOK SQLITE_ENABLE_SESSION SQLITE_ENABLE_STMTVTAB
    SQLITE_MAX_VARIABLE_NUMBER=250000
    SQLITE_MAX_ATTACHED=125)
  # SQLite's own source is not held to this project's warnings or sanitizers; it is built -O2 in
  # every build type, as Debian builds it, so that a debug build's engine is not ten times slower.
  target_compile_options(zm_sqlite3 PRIVATE -w -O2 -fno-strict-aliasing -fno-sanitize=all)
  target_link_libraries(zm_sqlite3 PRIVATE Threads::Threads ${CMAKE_DL_LIBS} m)
  set_target_properties(zm_sqlite3 PROPERTIES C_VISIBILITY_PRESET default)
  add_library(zm::sqlite3 ALIAS zm_sqlite3)
else()
  add_library(zm::sqlite3 ALIAS SQLite::SQLite3)
endif()
