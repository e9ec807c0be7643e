# Writes PROGRAM_DIR/config.txt with CR LF line ends unless it exists already.
if(NOT EXISTS "${PROGRAM_DIR}/config.txt")
  string(ASCII 13 CR)
  set(NL "${CR}\n")
  file(WRITE "${PROGRAM_DIR}/config.txt"
    "${PROGRAM_DIR}${NL}${NL}${NL}745 613 110 191${NL}0${NL}0${NL}")
endif()
