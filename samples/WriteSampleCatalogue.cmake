# Writes the product catalogue of the sample packages: the installer's catalogue with the SHA-256
# and the size of every archive that lies in the packages root (or its "common" folder), so that
# the installer verifies the archives it installs from there.
#
#   cmake -DSOURCE=<product_catalogue.json> -DPACKAGES=<packages root> -DOUTPUT=<file> -P WriteSampleCatalogue.cmake
foreach(variable SOURCE PACKAGES OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "WriteSampleCatalogue.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${SOURCE}" catalogue)
string(JSON product_count LENGTH "${catalogue}" products)
math(EXPR last_product "${product_count} - 1")
foreach(index RANGE ${last_product})
  string(JSON code GET "${catalogue}" products ${index} baseCode)
  foreach(archive "${PACKAGES}/${code}.enc" "${PACKAGES}/common/${code}.enc")
    if(EXISTS "${archive}")
      file(SHA256 "${archive}" checksum)
      file(SIZE "${archive}" size)
      string(JSON catalogue SET "${catalogue}" products ${index} archiveSha256 "\"${checksum}\"")
      string(JSON catalogue SET "${catalogue}" products ${index} archiveSize ${size})
      break()
    endif()
  endforeach()
endforeach()

# Written aside and renamed, so an interrupted build never leaves half a catalogue.
file(WRITE "${OUTPUT}.part" "${catalogue}\n")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
