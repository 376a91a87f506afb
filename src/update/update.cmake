# Build-time settings of the program update. Included by src/CMakeLists.txt
# after the kervio_update library is defined.
set(KERVIO_UPDATE_SERVER "http://www.kavrel.com.tr" CACHE STRING
    "Update server of the maker (scheme and host); Ayarlar.ini [Guncelleme] sunucu= overrides it")
set(KERVIO_UPDATE_PUBLIC_KEY "18c99bb6d43da01b8062799009f7a7cbad5b8710c496bb25973bd299a640fba6" CACHE STRING
    "Ed25519 public key (64 hex digits) that signs the downloaded program")

if(NOT KERVIO_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
  message(FATAL_ERROR "KERVIO_UPDATE_PUBLIC_KEY must be 64 hex digits")
endif()
string(LENGTH "${KERVIO_UPDATE_PUBLIC_KEY}" _kervio_key_length)
if(NOT _kervio_key_length EQUAL 64)
  message(FATAL_ERROR "KERVIO_UPDATE_PUBLIC_KEY must be 64 hex digits")
endif()

if(TARGET kervio_update)
  get_target_property(_kervio_update_type kervio_update TYPE)
  if(NOT _kervio_update_type STREQUAL "INTERFACE_LIBRARY")
    target_compile_definitions(kervio_update PRIVATE
        KERVIO_UPDATE_SERVER="${KERVIO_UPDATE_SERVER}"
        KERVIO_PROGRAM_VERSION="${PROJECT_VERSION}"
        KERVIO_UPDATE_PUBLIC_KEY="${KERVIO_UPDATE_PUBLIC_KEY}")
  endif()
endif()
