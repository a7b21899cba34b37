# What an FTP server sends the probe: reply lines and a listing line; and the
# link the probe is given.
orvi_fuzz(fuzz_ftp_listing SOURCES fuzz_ftp_listing.cpp DEPS orvi_ftp)
