# Looks for what the Python module (python/) needs and sets the option
# ASCENT_PYTHON: on by default when pybind11, Python with its development
# files and numpy are all found, off in sanitizer and fuzz builds (a module
# built with the sanitizers needs their runtime preloaded into Python).
#
# The interpreter is Debian's /usr/bin/python3, the one python3-numpy installs
# for, even when another python3 comes first on PATH; -DPython_EXECUTABLE=...
# chooses another.
if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python the module is built for")
endif()
if(DEFINED Python_EXECUTABLE)
  set(PYTHON_EXECUTABLE ${Python_EXECUTABLE})  # for pybind11's older tools
endif()

set(ascent_python_found OFF)
set(ascent_python_missing "")
find_package(Python 3.8 COMPONENTS Interpreter Development.Module QUIET)
if(NOT Python_FOUND)
  list(APPEND ascent_python_missing python3 python3-dev)
else()
  execute_process(COMMAND ${Python_EXECUTABLE} -c "import numpy"
                  RESULT_VARIABLE ascent_numpy_status OUTPUT_QUIET ERROR_QUIET)
  if(NOT ascent_numpy_status EQUAL 0)
    list(APPEND ascent_python_missing python3-numpy)
  endif()
  find_package(pybind11 CONFIG QUIET)
  if(NOT pybind11_FOUND)
    list(APPEND ascent_python_missing pybind11-dev)
  endif()
endif()
if(NOT ascent_python_missing)
  set(ascent_python_found ON)
endif()

set(ascent_python_default ${ascent_python_found})
if(ASCENT_SANITIZE OR ASCENT_FUZZ)
  set(ascent_python_default OFF)
endif()
option(ASCENT_PYTHON "Build the Python module (pybind11, python3-dev, python3-numpy)"
       ${ascent_python_default})
if(ASCENT_PYTHON AND NOT ascent_python_found)
  list(JOIN ascent_python_missing " " install)
  message(FATAL_ERROR "ASCENT_PYTHON is on, but the Python module needs Debian packages that "
                      "are missing:\n  sudo apt-get install -y ${install}\n"
                      "or configure with -DASCENT_PYTHON=OFF.")
endif()
