# about 10 MB of text: count the characters, count a word, find a position
encoding system utf-8
set s [string repeat "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" 200000]
set t "${s}終"
puts [string length $t]
puts [string length [encoding convertto cp932 $t]]
puts [regexp -all {猫} $t]
puts [expr {[string first "終" $t] + 1}]
