# Runs the layers check on fixture/ and asserts that it fails and names exactly the includes
# that break the layering, each with its file and line, and nothing that keeps to it.
cmake_minimum_required(VERSION 3.24)

execute_process(
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_LIST_DIR}/fixture
          -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)

if(result EQUAL 0)
  message(FATAL_ERROR "the layers check passed a tree that breaks the layering:\n${output}")
endif()

string(REGEX MATCHALL "(src|host)/[^\n]*" found "${output}")
set(expected
  "host/reaching.h:8: the host may not include <screen/tfrmvendacons.h> (runtime, outside and the package's public headers only)"
  "host/reaching.h:9: the host may not include <order/orderentry.h> (runtime, outside and the package's public headers only)"
  "host/reaching.h:10: the host may not include <server/srv_orders.h> (runtime, outside and the package's public headers only)"
  "src/consumer/badge.h:4: consumer may not include <screen/screenshell.h> (a screen header: the roads reach the screen through sale/saleshell.h)"
  "src/extra/unknown.h: folder extra/ is no layer (add it to the levels of tests/layers/check_layers.cmake)"
  "src/order/orderentry.h:3: order may not include <screen/siblings.h> (a screen header: the roads reach the screen through sale/saleshell.h)"
  "src/order/orderentry.h:7: order may not include <settlement/roads_p.h> (a private header of settlement/)"
  "src/outside/relative.h:3: outside may not include <../server/catalogue.h> (a layer above it)"
  "src/runtime/upward.h:5: runtime may not include <outside/consiste.h> (a layer above it)"
  "src/screen/siblings.h:6: screen may not include <order/entry_p.h> (a private header of order/)"
  "src/screen/siblings.h:7: screen may not include <../order/entry_p.h> (a private header of order/)"
  "src/server/saleward.h:4: server may not include <order/orderentry.h> (a layer above it)"
  "src/server/saleward.h:5: server may not include <host/dialogs.h> (a layer above it)"
)
if(NOT found STREQUAL expected)
  list(JOIN expected "\n" expected_text)
  list(JOIN found "\n" found_text)
  message(FATAL_ERROR "expected:\n${expected_text}\nfound:\n${found_text}\nwhole output:\n${output}")
endif()
