# Writes the manual pages of the tadmor command, gzipped, from the --help of
# each of its commands (help2man), and the window's page from its template.
# Run as a script: cmake -DHELP2MAN=... -DPROGRAM_DIR=... -DVERSION=...
#   -DOUTPUT_DIR=... [-DGUI_PAGE=tadmor-gui.1] [-DSTUDIO_DIR=...] -P ManPages.cmake
# GUI_PAGE names a page already in OUTPUT_DIR that is only gzipped; with
# STUDIO_DIR, the folder of tadmor-studio, the studio's page is made from its
# --help too, on Qt's offscreen platform.
cmake_minimum_required(VERSION 3.25)

# help2man runs "tadmor ..." by its name, so that the usage lines name it so.
set(ENV{PATH} "${PROGRAM_DIR}:$ENV{PATH}")
set(ENV{LC_ALL} C.UTF-8)

# Command, page name, one-line description.
set(pages
  "|tadmor|melting of a polymer in a single-screw extruder channel (Tadmor melting model)"
  "run|tadmor-run|run one calculation of the melting model and write the results file"
  "plot|tadmor-plot|draw the melting profile of a results file"
  "sweep|tadmor-sweep|run a parameter sweep of the melting model and write a summary"
  "fit|tadmor-fit|fit the viscosity law to a rheometer table or a standard law"
  "solve|tadmor-solve|find the value of one input at which a target on the melting is met"
  "sensitivity|tadmor-sensitivity|rank the inputs by their effect on the melting and the power"
  "extruder|tadmor-extruder|the whole extruder: pressure and melt temperature to the die, power, the operating point")

function(gzip_page page)
  execute_process(COMMAND gzip -9 -n -c "${OUTPUT_DIR}/${page}" OUTPUT_FILE "${OUTPUT_DIR}/${page}.gz"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endfunction()

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
foreach(entry IN LISTS pages)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 command)
  list(GET fields 1 name)
  list(GET fields 2 description)
  if(command STREQUAL "")
    set(see_also ".BR tadmor\\-run (1),\n.BR tadmor\\-plot (1),\n.BR tadmor\\-sweep (1),\n.BR tadmor\\-fit (1),\n.BR tadmor\\-solve (1),\n.BR tadmor\\-sensitivity (1),\n.BR tadmor\\-extruder (1),\n.BR tadmor\\-gui (1)")
  else()
    set(see_also ".BR tadmor (1),\n.BR tadmor\\-gui (1)")
  endif()
  set(include "${OUTPUT_DIR}/${name}.h2m")
  file(WRITE "${include}" "[SEE ALSO]\n${see_also}\n.PP\nThe model, its inputs and its results columns: docs/model.md (the whole\nextruder: docs/extruder.md), installed in\nthe documentation folder of tadmor (for example /usr/share/doc/tadmor).\n")
  execute_process(
    COMMAND "${HELP2MAN}" --no-info "--version-string=${VERSION}"
            "--help-option=${command} --help" "--name=${description}" "--include=${include}" tadmor
    OUTPUT_VARIABLE text RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "help2man for ${name} failed: ${error}")
  endif()
  # A command's page is named tadmor-COMMAND, in its title and its NAME line.
  if(NOT command STREQUAL "")
    string(TOUPPER "${name}" title)
    string(REPLACE ".TH TADMOR " ".TH ${title} " text "${text}")
    string(REPLACE "\n.SH NAME\ntadmor \\- " "\n.SH NAME\ntadmor\\-${command} \\- " text "${text}")
  endif()
  file(WRITE "${OUTPUT_DIR}/${name}.1" "${text}")
  gzip_page(${name}.1)
endforeach()

if(GUI_PAGE)
  gzip_page(${GUI_PAGE})
endif()

if(STUDIO_DIR)
  set(ENV{PATH} "${STUDIO_DIR}:$ENV{PATH}")
  set(ENV{QT_QPA_PLATFORM} offscreen)
  set(include "${OUTPUT_DIR}/tadmor-studio.h2m")
  file(WRITE "${include}" [=[
[KEYS]
.TP
.B Ctrl+O, Ctrl+S, Ctrl+Shift+S
open a case file, save it, save it under another name
.TP
.B Ctrl+Z, Ctrl+Shift+Z
undo and redo an edit of the inputs
.TP
.B Ctrl+Shift+P
pin the current case: its curves stay faint, its results in the Compare dock
.TP
.B Ctrl+Shift+M
run the processing-window map of the Design answers tab
.TP
.B Escape
cancel the running design answers
.TP
.B Ctrl+Q
quit (asking to save a changed case)
.PP
The menus, tabs and buttons have Alt mnemonics; Tab moves
through the entries.
[FILES]
.TP
.I ~/.config/tadmor/tadmor-studio.conf
the window's layout, the length unit and the files opened lately.
.TP
.I ~/.local/share/tadmor/tadmor-studio/materials
your material library, listed after the program's (share/tadmor/materials).
[SEE ALSO]
.BR tadmor (1),
.BR tadmor\-run (1),
.BR tadmor\-extruder (1),
.BR tadmor\-gui (1)
.PP
The model, its inputs and its results columns: docs/model.md (the whole
extruder: docs/extruder.md), installed in
the documentation folder of tadmor (for example /usr/share/doc/tadmor).
]=])
  execute_process(
    COMMAND "${HELP2MAN}" --no-info "--version-string=${VERSION}" "--include=${include}"
            "--name=the engineer's workbench: the melting model and the whole extruder, recalculated as you type"
            tadmor-studio
    OUTPUT_VARIABLE text RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "help2man for tadmor-studio failed: ${error}")
  endif()
  file(WRITE "${OUTPUT_DIR}/tadmor-studio.1" "${text}")
  gzip_page(tadmor-studio.1)
endif()
