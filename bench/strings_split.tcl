# about 10 MB of text, split at a delimiter (a trailing delimiter gives no last piece)
encoding system utf-8
set s [string repeat "吾輩は猫である。名前はまだ無い。ソース表示,abc,123," 200000]
set pieces [split $s ","]
if {[lindex $pieces end] eq ""} { set pieces [lrange $pieces 0 end-1] }
puts [llength $pieces]
set t [string repeat "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" 200000]
set lines [split [string map [list "\r\n" "\n"] $t] "\n"]
if {[lindex $lines end] eq ""} { set lines [lrange $lines 0 end-1] }
puts [llength $lines]
