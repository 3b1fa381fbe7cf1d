class A
feature
  f (x: INTEGER) is
    do
      io.put_string ("a (%" \")")  -- (
      s := "[
  ) ]
]"
    end
end
