# The whole content is the setting: no line break may follow it.
if(NOT EXISTS "${OUT}")
    file(WRITE "${OUT}" "%usr%")
endif()
